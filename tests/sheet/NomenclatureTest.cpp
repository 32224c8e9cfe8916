#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <regex>
#include <string>
#include <unordered_set>
#include <vector>

#include "sheet/Nomenclature.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {
namespace {

constexpr std::int32_t ROW_V = 0;
constexpr std::int32_t ROW_U = 1;
constexpr std::int32_t ROW_T = 2;
constexpr std::int32_t ROW_P = 6;
constexpr std::int32_t ROW_N = 8;
constexpr std::int32_t ROW_K = 11;

std::string name200(std::int32_t yZone, std::int32_t xZone, std::int32_t number,
                    SheetType type = SheetType::Standard) {
    return sheetNameOf(Series::Scale200k, yZone, xZone, number, type);
}
std::string name1m(std::int32_t yZone, std::int32_t xZone, SheetType type = SheetType::Standard) {
    return sheetNameOf(Series::Scale1m, yZone, xZone, 1, type);
}

TEST(ToRomanNumeralsTest, WorkedValues) {
    const std::map<std::int32_t, std::string> expected = {
        {0, ""},     {1, "I"},     {4, "IV"},     {9, "IX"},     {10, "X"},       {14, "XIV"},
        {19, "XIX"}, {29, "XXIX"}, {34, "XXXIV"}, {36, "XXXVI"}, {38, "XXXVIII"}, {39, "XXXIX"}};
    for (const auto& [n, text] : expected) EXPECT_EQ(toRomanNumerals(n), text) << n;
    EXPECT_EQ(toRomanNumerals(-1), "");
    EXPECT_EQ(toRomanNumerals(40), "");
    EXPECT_EQ(toRomanNumerals(2147483647), "");
}

TEST(ColumnStepTest, WrapsOnlyAtTheAntimeridian) {
    EXPECT_EQ(nextColumnEast(60), 1);
    EXPECT_EQ(nextColumnWest(1), 60);
    EXPECT_EQ(nextColumnEast(37), 38);
    EXPECT_EQ(nextColumnWest(37), 36);
    EXPECT_EQ(nextColumnEast(30), 31);
}

TEST(Adjacent200Test, StepsAcrossMillionSheetBorders) {
    EXPECT_EQ(adjacentSheet200EastWest(true, 37, 6).xZone, 38);
    EXPECT_EQ(adjacentSheet200EastWest(true, 37, 6).sheetNumber, 1);
    EXPECT_EQ(adjacentSheet200EastWest(false, 1, 13).xZone, 60);
    EXPECT_EQ(adjacentSheet200EastWest(false, 1, 13).sheetNumber, 18);
    EXPECT_EQ(adjacentSheet200EastWest(true, 37, 14).xZone, 37);
    EXPECT_EQ(adjacentSheet200EastWest(true, 37, 14).sheetNumber, 15);
    EXPECT_EQ(adjacentSheet200NorthSouth(true, ROW_N, 1).yZone, ROW_N - 1);
    EXPECT_EQ(adjacentSheet200NorthSouth(true, ROW_N, 1).sheetNumber, 31);
    EXPECT_EQ(adjacentSheet200NorthSouth(false, ROW_N, 36).yZone, ROW_N + 1);
    EXPECT_EQ(adjacentSheet200NorthSouth(false, ROW_N, 36).sheetNumber, 6);
    EXPECT_EQ(adjacentSheet200NorthSouth(false, ROW_N, 1).yZone, ROW_N);
    EXPECT_EQ(adjacentSheet200NorthSouth(false, ROW_N, 1).sheetNumber, 7);
}

TEST(NomenclatureTest, WorkedNames) {
    EXPECT_EQ(name1m(ROW_N, 37), "N-37");
    EXPECT_EQ(name200(ROW_N, 37, 36), "N-37-XXXVI");
    EXPECT_EQ(name200(ROW_P, 37, 1, SheetType::Double), "P-37-I,II");
    EXPECT_EQ(name200(ROW_P, 37, 6, SheetType::Double), "P-37-VI,38-I");
    EXPECT_EQ(name200(ROW_T, 37, 5, SheetType::Triple), "T-37-V,VI,38-I");
    EXPECT_EQ(name1m(ROW_P, 37, SheetType::Double), "P-37,38");
    EXPECT_EQ(name1m(ROW_T, 37, SheetType::Quadruple), "T-37,38,39,40");
    EXPECT_EQ(name1m(ROW_U, 60, SheetType::Double), "U-60,01");
}

TEST(NomenclatureTest, ColumnsAlwaysHaveTwoDigits) {
    EXPECT_EQ(name1m(ROW_N, 1), "N-01");
    EXPECT_EQ(name1m(ROW_U, 7, SheetType::Quadruple), "U-07,08,09,10");
    EXPECT_EQ(name200(ROW_U, 5, 6, SheetType::Triple), "U-05-VI,06-I,II");
    EXPECT_EQ(name200(ROW_U, 60, 6, SheetType::Double), "U-60-VI,01-I");
}

TEST(NomenclatureTest, JoinedPartsFollowTheTypeNumberInEitherSeries) {
    EXPECT_EQ(name200(ROW_U, 37, 1, SheetType::Quadruple), "U-37-I,II,III,IV");
    EXPECT_EQ(name1m(ROW_U, 37, SheetType::Triple), "U-37,38,39");
}

TEST(AdjacentNomenclatureTest, WorkedNeighboursAcrossTheAntimeridianAndBeyondThePolarRows) {
    constexpr auto M = Series::Scale1m;
    constexpr auto K = Series::Scale200k;
    constexpr auto W = Direction::West;
    constexpr auto E = Direction::East;
    constexpr auto N = Direction::North;
    constexpr auto S = Direction::South;
    const struct {
        Direction direction;
        Series setScale;
        std::int32_t yZone;
        std::int32_t xZone;
        std::int32_t number;
        SheetType type;
        const char* name;
    } cases[] = {
        {W, M, ROW_N, 37, 1, SheetType::Standard, "N-36"},
        {E, M, ROW_N, 37, 1, SheetType::Standard, "N-38"},
        {N, M, ROW_N, 37, 1, SheetType::Standard, "O-37"},
        {S, M, ROW_N, 37, 1, SheetType::Standard, "M-37"},
        {W, M, ROW_P, 37, 1, SheetType::Double, "P-35,36"},
        {E, M, ROW_P, 37, 1, SheetType::Double, "P-39,40"},
        {N, M, ROW_P, 37, 1, SheetType::Double, "Q-37,38"},
        {S, M, ROW_P, 37, 1, SheetType::Double, "O-37,38"},
        {W, K, ROW_N, 37, 1, SheetType::Standard, "N-36-VI"},
        {E, K, ROW_N, 37, 1, SheetType::Standard, "N-37-II"},
        {N, K, ROW_N, 37, 1, SheetType::Standard, "O-37-XXXI"},
        {S, K, ROW_N, 37, 1, SheetType::Standard, "N-37-VII"},
        {W, K, ROW_N, 37, 1, SheetType::Double, "N-36-V,VI"},
        {E, K, ROW_N, 37, 1, SheetType::Double, "N-37-III,IV"},
        // Across 180 degrees and beyond the covered rows.
        {E, M, ROW_N, 60, 1, SheetType::Standard, "N-01"},
        {W, M, ROW_N, 1, 1, SheetType::Standard, "N-60"},
        {W, K, ROW_N, 1, 13, SheetType::Standard, "N-60-XVIII"},
        {E, K, ROW_N, 60, 18, SheetType::Standard, "N-01-XIII"},
        {N, M, ROW_U, 37, 1, SheetType::Standard, "V-37"},
        {S, M, ROW_K, 37, 1, SheetType::Standard, "J-37"},
        {N, K, ROW_U, 37, 3, SheetType::Standard, "V-37-XXXIII"},
        {S, K, ROW_K, 37, 34, SheetType::Standard, "J-37-IV"},
        {E, M, ROW_U, 59, 1, SheetType::Quadruple, "U-03,04,05,06"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(adjacentSheetName(c.direction, c.setScale, c.yZone, c.xZone, c.number, c.type),
                  c.name);
    }
}

// ---------------------------------------------------------------------------------------
// Every sheet of both series and all its neighbours: the names follow the grammar, and
// read back independently of the name builder, they describe trapezoids that touch.

const std::regex& nameGrammar() {
    static const std::regex grammar = [] {
        const std::string row = "[VUTSRQPONMLKJ]";
        const std::string column = "(?:0[1-9]|[1-5][0-9]|60)";
        // I..XXXVI exactly.
        const std::string units = "(?:IX|IV|VI{0,3}|I{1,3})";
        const std::string roman = "(?:XXX(?:VI|V|IV|I{1,3})?|X{1,2}" + units + "?|" + units + ")";
        const std::string sheet200 =
            row + "-" + column + "-" + roman + "(?:,(?:" + column + "-)?" + roman + ")*";
        const std::string sheet1m = row + "-" + column + "(?:," + column + ")*";
        return std::regex("(?:" + sheet200 + ")|(?:" + sheet1m + ")", std::regex::optimize);
    }();
    return grammar;
}

// One part of a name (the first part, or a joined part), read without the routines under
// test. A joined part without its own column lies in the column of the part before it.
struct NamePart {
    std::int32_t xZone;
    std::int32_t sheetNumber;  // 1 for million sheets
};
struct ParsedName {
    std::int32_t yZone;
    std::vector<NamePart> parts;
};

std::int32_t romanDigit(char c) {
    return c == 'X' ? 10 : c == 'V' ? 5 : 1;
}

std::int32_t romanValue(std::string_view roman) {
    std::int32_t value = 0;
    for (std::size_t i = 0; i < roman.size(); ++i) {
        const std::int32_t d = romanDigit(roman[i]);
        const bool subtractive = i + 1 < roman.size() && romanDigit(roman[i + 1]) > d;
        value += subtractive ? -d : d;
    }
    return value;
}

bool startsWithDigit(std::string_view text) {
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0]));
}

ParsedName parseName(std::string_view name) {
    constexpr std::string_view rows = "VUTSRQPONMLKJ";
    ParsedName parsed{static_cast<std::int32_t>(rows.find(name[0])), {}};
    const std::string_view firstPart = name.substr(0, name.find(','));
    const bool series200 = std::count(firstPart.begin(), firstPart.end(), '-') == 2;
    std::int32_t column = 0;
    for (std::string_view rest = name.substr(2); !rest.empty();) {
        const std::size_t comma = rest.find(',');
        std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (startsWithDigit(piece)) {
            column = (piece[0] - '0') * 10 + (piece[1] - '0');
            piece = piece.substr(std::min<std::size_t>(3, piece.size()));
        }
        parsed.parts.push_back({column, series200 ? romanValue(piece) : 1});
    }
    return parsed;
}

constexpr double EDGE_TOLERANCE_DEG = 1e-9;  // sums of 2/3 and whole degrees, rounding only

double circleDifference(double a, double b) {
    const double d = std::fmod(a - b, 360.0);
    return std::min(std::abs(d), 360.0 - std::abs(d));
}

struct SheetCase {
    Series setScale;
    std::int32_t yZone;
    std::int32_t xZone;
    std::int32_t sheetNumber;
    SheetType sheetType;

    Trapezoid base() const {
        return computeBaseParameters(setScale, yZone, xZone, sheetNumber, sheetType);
    }
    std::string name() const { return sheetNameOf(setScale, yZone, xZone, sheetNumber, sheetType); }
    std::string neighbourName(Direction direction) const {
        return adjacentSheetName(direction, setScale, yZone, xZone, sheetNumber, sheetType);
    }
    SheetCase fromName(const std::string& text) const {
        const ParsedName p = parseName(text);
        return {setScale, p.yZone, p.parts[0].xZone, p.parts[0].sheetNumber, sheetType};
    }
};

class NameChecker {
  public:
    // Checks the grammar once per distinct name: most names recur as neighbours.
    void expectWellFormed(const std::string& name, SheetType sheetType) {
        if (!checked_.insert(name).second) return;
        EXPECT_TRUE(std::regex_match(name, nameGrammar())) << name;
        EXPECT_EQ(parseName(name).parts.size(), static_cast<std::size_t>(joinedColumns(sheetType)))
            << name;
    }

  private:
    std::unordered_set<std::string> checked_;
};

void expectTouching(const SheetCase& s, const std::string& context) {
    const Trapezoid b = s.base();
    const SheetCase east = s.fromName(s.neighbourName(Direction::East));
    const SheetCase west = s.fromName(s.neighbourName(Direction::West));
    const SheetCase north = s.fromName(s.neighbourName(Direction::North));
    const SheetCase south = s.fromName(s.neighbourName(Direction::South));
    EXPECT_LT(circleDifference(east.base().edges.west, b.edges.east), EDGE_TOLERANCE_DEG)
        << context;
    EXPECT_LT(circleDifference(west.base().edges.east, b.edges.west), EDGE_TOLERANCE_DEG)
        << context;
    EXPECT_NEAR(east.base().edges.north, b.edges.north, EDGE_TOLERANCE_DEG) << context;
    EXPECT_NEAR(north.base().edges.south, b.edges.north, EDGE_TOLERANCE_DEG) << context;
    EXPECT_NEAR(south.base().edges.north, b.edges.south, EDGE_TOLERANCE_DEG) << context;
    EXPECT_NEAR(north.base().edges.west, b.edges.west, EDGE_TOLERANCE_DEG) << context;
    EXPECT_NEAR(south.base().edges.west, b.edges.west, EDGE_TOLERANCE_DEG) << context;
}

// The parts of a joined sheet, each a standard sheet, tile its trapezoid west to east.
void expectPartsTile(const SheetCase& s, const std::string& context) {
    const Trapezoid whole = s.base();
    double edge = whole.edges.west;
    for (const NamePart& part : parseName(s.name()).parts) {
        const Trapezoid b = computeBaseParameters(s.setScale, s.yZone, part.xZone, part.sheetNumber,
                                                  SheetType::Standard);
        EXPECT_LT(circleDifference(b.edges.west, edge), EDGE_TOLERANCE_DEG) << context;
        EXPECT_NEAR(b.edges.north, whole.edges.north, EDGE_TOLERANCE_DEG) << context;
        edge = b.edges.east;
    }
    EXPECT_LT(circleDifference(edge, whole.edges.east), EDGE_TOLERANCE_DEG) << context;
}

void expectReversible(const SheetCase& s, const std::string& context) {
    const std::string self = s.name();
    EXPECT_EQ(s.fromName(s.neighbourName(Direction::East)).neighbourName(Direction::West), self)
        << context;
    EXPECT_EQ(s.fromName(s.neighbourName(Direction::West)).neighbourName(Direction::East), self)
        << context;
    EXPECT_EQ(s.fromName(s.neighbourName(Direction::North)).neighbourName(Direction::South), self)
        << context;
    EXPECT_EQ(s.fromName(s.neighbourName(Direction::South)).neighbourName(Direction::North), self)
        << context;
}

TEST(NomenclaturePropertyTest, EverySheetAndItsNeighboursAreWellFormedAndConsistent) {
    NameChecker checker;
    for (const Series setScale : {Series::Scale200k, Series::Scale1m}) {
        for (const SheetType type :
             {SheetType::Standard, SheetType::Double, SheetType::Triple, SheetType::Quadruple}) {
            for (std::int32_t yZone = ROW_U; yZone <= ROW_K; ++yZone) {
                for (std::int32_t xZone = 1; xZone <= 60; ++xZone) {
                    const std::string millionName = name1m(yZone, xZone, type);
                    for (std::int32_t number = 1; number <= 36; ++number) {
                        const SheetCase s{setScale, yZone, xZone, number, type};
                        const std::string context =
                            s.name() + " of " + std::to_string(joinedColumns(type)) + " sheets";
                        if (setScale == Series::Scale1m) {
                            // The sheet number plays no part in the million series.
                            ASSERT_EQ(s.name(), millionName) << number;
                            if (number > 1) continue;
                        }
                        checker.expectWellFormed(s.name(), type);
                        for (const Direction d :
                             {Direction::West, Direction::East, Direction::North, Direction::South})
                            checker.expectWellFormed(s.neighbourName(d), type);
                        ASSERT_EQ(s.fromName(s.name()).name(), s.name()) << context;
                        expectTouching(s, context);
                        expectPartsTile(s, context);
                        if (type == SheetType::Standard) expectReversible(s, context);
                        if (HasFailure()) return;  // one broken sheet is enough to report
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace sheetbasis
