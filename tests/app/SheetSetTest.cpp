#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "app/SheetSet.h"
#include "job/ValueReaders.h"
#include "sheet/Nomenclature.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {
namespace {

std::vector<SheetIdentity> expand(std::string_view set, Series series) {
    SheetSetExpansion e = expandSheetSet(set, series);
    EXPECT_EQ(e.error, "") << set;
    return e.sheets;
}

std::string nameOf(const SheetIdentity& s) {
    return sheetNameOf(s.setScale, s.yZone, s.xZone, s.sheetNumber, s.sheetType);
}

// Cell of the series grid (1 degree by 40 minutes, or 6 by 4 degrees) at a south-west
// corner; longitudes taken modulo 360.
using Cell = std::pair<long, long>;

Cell cellAt(double lon, double lat, double width, double height) {
    const double wrapped = std::fmod(lon + 360.0, 360.0);
    return {std::lround(wrapped / width), std::lround(lat / height)};
}

// Counts how often each cell of the series grid is covered by the base trapezoids.
std::map<Cell, int> coverage(const std::vector<SheetIdentity>& sheets, Series series) {
    const double width = series == Series::Scale200k ? 1.0 : 6.0;
    const double height = series == Series::Scale200k ? 2.0 / 3.0 : 4.0;
    std::map<Cell, int> cells;
    for (const SheetIdentity& s : sheets) {
        const Trapezoid b =
            computeBaseParameters(s.setScale, s.yZone, s.xZone, s.sheetNumber, s.sheetType);
        EXPECT_NEAR(b.edges.north - b.edges.south, height, 1e-9) << nameOf(s);
        const long across = std::lround((b.edges.east - b.edges.west) / width);
        for (long k = 0; k < across; ++k) {
            ++cells[cellAt(b.edges.west + k * width, b.edges.south, width, height)];
        }
    }
    return cells;
}

// The cells of rows U..K and the columns 33..60, 01, 02: longitudes 12..192, latitudes 40..84.
std::set<Cell> wholeSeriesCells(Series series) {
    const double width = series == Series::Scale200k ? 1.0 : 6.0;
    const double height = series == Series::Scale200k ? 2.0 / 3.0 : 4.0;
    std::set<Cell> cells;
    for (double lon = 12.0; lon < 192.0 - 1e-9; lon += width) {
        for (long row = 0; row < std::lround(44.0 / height); ++row) {
            cells.insert(cellAt(lon, 40.0 + row * height, width, height));
        }
    }
    return cells;
}

class WholeSeries : public ::testing::TestWithParam<Series> {};

TEST_P(WholeSeries, TilesEveryCellExactlyOnceAndEveryNameReadsBack) {
    const Series series = GetParam();
    const auto sheets = expand("all", series);
    const std::map<Cell, int> cells = coverage(sheets, series);
    const std::set<Cell> expected = wholeSeriesCells(series);
    EXPECT_EQ(cells.size(), expected.size());
    for (const auto& [cell, count] : cells) {
        EXPECT_EQ(count, 1) << cell.first << "," << cell.second;
        EXPECT_TRUE(expected.contains(cell)) << cell.first << "," << cell.second;
    }
    std::set<std::string> folders;
    std::string everyName;
    for (const SheetIdentity& s : sheets) {
        // Both spellings read back as the sheet: the job file's and the written name.
        for (const std::string& name : {jobSheetName(s), nameOf(s)}) {
            const SheetNameReading read = readSheetIdentity(name);
            EXPECT_EQ(read.status, SheetNameStatus::Read) << name;
            EXPECT_EQ(read.sheet, s) << name;
        }
        EXPECT_TRUE(folders.insert(nameOf(s)).second) << nameOf(s);
        everyName += (everyName.empty() ? "" : ",") + nameOf(s);
    }
    // The written names, listed as one set, give back the series sheet by sheet.
    EXPECT_EQ(expand(everyName, series), sheets);
}

INSTANTIATE_TEST_SUITE_P(BothSeries, WholeSeries,
                         ::testing::Values(Series::Scale200k, Series::Scale1m),
                         [](const ::testing::TestParamInfo<Series>& info) {
                             return info.param == Series::Scale200k ? "Series200k" : "Series1m";
                         });

TEST(SheetSet, WholeSeriesCountsAndPolarTypesByRow) {
    // 1:200 000: rows K..P 36 sheets, Q..S 18 double, T..U 12 triple per million sheet.
    EXPECT_EQ(expand("all", Series::Scale200k).size(), 30u * (6 * 36 + 3 * 18 + 2 * 12));
    // Million series: Q..S 15 doubles; T..U seven quadruples 33..60 and the double 01,02.
    EXPECT_EQ(expand("all", Series::Scale1m).size(), 30u * 6 + 15u * 3 + 8u * 2);
    EXPECT_EQ(polarSheetType(Series::Scale200k, 1), SheetType::Triple);
    EXPECT_EQ(polarSheetType(Series::Scale200k, 5), SheetType::Double);
    EXPECT_EQ(polarSheetType(Series::Scale200k, 6), SheetType::Standard);
    EXPECT_EQ(polarSheetType(Series::Scale1m, 2), SheetType::Quadruple);
}

TEST(SheetSet, MillionSheetsExpandToTheirSheetsInPolarLayout) {
    const auto n37 = expand("N-37", Series::Scale200k);
    ASSERT_EQ(n37.size(), 36u);
    EXPECT_EQ(nameOf(n37.front()), "N-37-I");
    EXPECT_EQ(nameOf(n37.back()), "N-37-XXXVI");
    const auto t37 = expand("T-37", Series::Scale200k);
    ASSERT_EQ(t37.size(), 12u);
    EXPECT_EQ(nameOf(t37[0]), "T-37-I,II,III");
    EXPECT_EQ(nameOf(t37[1]), "T-37-IV,V,VI");
    EXPECT_EQ(jobSheetName(t37[1]), "T-37-IV(3)");
    const auto q37 = expand("q37", Series::Scale200k);
    ASSERT_EQ(q37.size(), 18u);
    EXPECT_EQ(nameOf(q37[2]), "Q-37-V,VI");
    // In the million series a million sheet is the sheet itself, as named.
    const auto t = expand("T-37", Series::Scale1m);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(nameOf(t[0]), "T-37");
}

TEST(SheetSet, BlocksRunEastwardThroughSixtyAndJoinOnlyWholeGroups) {
    const auto block = expand("T..U:57..02", Series::Scale1m);
    ASSERT_EQ(block.size(), 4u);
    EXPECT_EQ(nameOf(block[0]), "U-57,58,59,60");
    EXPECT_EQ(nameOf(block[1]), "U-01,02");
    EXPECT_EQ(nameOf(block[2]), "T-57,58,59,60");
    // A group cut by the block's edge falls back to narrower sheets inside it.
    const auto cut = expand("T:38..40", Series::Scale1m);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(nameOf(cut[0]), "T-38");
    EXPECT_EQ(nameOf(cut[1]), "T-39,40");
    EXPECT_EQ(expand("N..P:37..40", Series::Scale200k).size(), 3u * 4 * 36);
    EXPECT_EQ(expand("P..N:37", Series::Scale200k).size(), 3u * 36);
}

TEST(SheetSet, NamedSheetsAreTakenAsGivenAndRepeatsOnce) {
    const auto sheets = expand("N-37-XXXVI, P-37-I(2), N3712, N-37", Series::Scale200k);
    ASSERT_EQ(sheets.size(), 37u);  // XXXVI and XII of N-37 already named
    EXPECT_EQ(nameOf(sheets[0]), "N-37-XXXVI");
    EXPECT_EQ(nameOf(sheets[1]), "P-37-I,II");
    EXPECT_EQ(nameOf(sheets[2]), "N-37-XII");
}

TEST(SheetSet, JoinedNamesKeepTheirCommasAndOtherItemsAreSeparated) {
    const auto sheets =
        expand("T-37-I,II,III, Q-40-VI,41-I,U-60-IV,V,VI,N-37-I", Series::Scale200k);
    ASSERT_EQ(sheets.size(), 4u);
    EXPECT_EQ(nameOf(sheets[1]), "Q-40-VI,41-I");
    EXPECT_EQ(nameOf(sheets[2]), "U-60-IV,V,VI");
    const auto millions = expand("T-57,58,59,60,U-60,01,N-37,T:01..02", Series::Scale1m);
    ASSERT_EQ(millions.size(), 4u);
    EXPECT_EQ(nameOf(millions[1]), "U-60,01");
    EXPECT_EQ(nameOf(millions[3]), "T-01,02");
    EXPECT_EQ(expandSheetSet("N-37,N-31", Series::Scale200k).error,
              "\"N-31\": outside the rows K..U and columns 33..60, 01, 02 that the program covers");
    EXPECT_EQ(expandSheetSet("T-37-I,II,IV", Series::Scale200k).error,
              "\"T-37-I,II,IV\": not a sheet name: a joined sheet lists its eastern neighbours "
              "in turn, such as T-37-I,II,III or U-60,01");
}

TEST(SheetSet, RefusesWhatNoJobFileCouldName) {
    for (const auto* set : {"", "N-37,", "X-37", "N-32", "N..P:37..70", "N:02..33", "N..Z:37",
                            "T-37(4)", "ALL", "N-37-XXXVII"}) {
        EXPECT_NE(expandSheetSet(set, Series::Scale200k).error, "") << set;
    }
    EXPECT_NE(expandSheetSet("N-37-I", Series::Scale1m).error, "");
}

// Area items: the sheets the area takes, joined where the block rule joins them. Worked
// values from the base trapezoids (column 01 begins at 180, row Q at 64, U at 80).
TEST(SheetSet, AreasTakeTheSheetsTheyShareAreaWith) {
    const struct {
        const char* set;
        Series series;
        std::vector<std::string> names;
    } cases[] = {
        {"at:41.5,52.3", Series::Scale1m, {"N-37"}},
        // On an edge and a corner the point belongs to the sheet east and north of it.
        {"at:42,52", Series::Scale1m, {"N-38"}},
        {"at:42,52", Series::Scale200k, {"N-38-XXXI"}},
        {"at:-180,64", Series::Scale1m, {"Q-01"}},
        {"at:180,64", Series::Scale1m, {"Q-01"}},
        // A box on sheet edges takes none of the sheets beyond them.
        {"bbox:36,52,38,52°40'", Series::Scale200k, {"N-37-XXXI", "N-37-XXXII"}},
        {"bbox:36 00,52°,38°00',52 40", Series::Scale200k, {"N-37-XXXI", "N-37-XXXII"}},
        {"bbox:-179.5,60.5,-178.5,61", Series::Scale1m, {"P-01"}},
        {"bbox:180.5,60.5,181.5,61", Series::Scale1m, {"P-01"}},
        // Across 180 degrees, whole groups joined.
        {"bbox:170,77,-170,79", Series::Scale1m, {"T-59,60", "T-01,02"}},
        {"bbox:37.2,76.4,47.9,83.1", Series::Scale1m, {"U-37,38", "T-37,38"}},
        // A cut group takes narrower sheets, as in the block T:38..40.
        {"bbox:43,77,59,78", Series::Scale1m, {"T-38", "T-39,40"}},
        {"bbox:36.2,80.1,38.9,80.5", Series::Scale200k, {"U-37-XXXI,XXXII,XXXIII"}},
        {"bbox:37.2,80.1,38.9,80.5", Series::Scale200k, {"U-37-XXXII", "U-37-XXXIII"}},
        // Items combine; a sheet named twice comes once.
        {"N-37-XXXVI,at:41.5,52.3,bbox:41.2,52.1,41.8,52.6,N-37-I",
         Series::Scale200k,
         {"N-37-XXXVI", "N-37-I"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const SheetIdentity& s : expand(c.set, c.series)) names.push_back(nameOf(s));
        EXPECT_EQ(names, c.names) << c.set;
    }
}

TEST(SheetSet, AreasOutsideTheCoverageOrMalformedAreRefusedWithTheirReason) {
    const std::pair<const char*, const char*> refused[] = {
        {"bbox:0,40,10,50", "outside the rows K..U"},
        {"bbox:-180,60,180,70", "outside the rows K..U"},
        {"at:12,84", "outside the rows K..U"},
        {"at:192,50", "outside the rows K..U"},
        {"bbox:36,53,38,52", "no height"},
        {"bbox:36,52,36,53", "no width"},
        {"bbox:36,52,38", "four angles"},
        {"bbox:36,52,38,95", "four angles"},
        {"bbox:-181,52,38,53", "four angles"},
        {"bbox:36,52,38,53,54", "four angles"},
        {"at:36,x", "a longitude"},
        {"at:--36,52", "a longitude"},
    };
    for (const auto& [set, reason] : refused) {
        const std::string error = expandSheetSet(set, Series::Scale1m).error;
        EXPECT_NE(error.find(reason), std::string::npos) << set << ": " << error;
        EXPECT_TRUE(error.starts_with('"' + std::string(set) + '"')) << error;
    }
}

}  // namespace
}  // namespace sheetbasis
