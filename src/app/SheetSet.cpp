#include "app/SheetSet.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <set>

#include "app/SheetArea.h"
#include "job/ValueReaders.h"
#include "sheet/Cp1251.h"
#include "sheet/Nomenclature.h"
#include "sheet/SheetParameters.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// The covered columns, counted.
constexpr std::int32_t OFFERED_COLUMNS =
    LAST_COLUMN - FIRST_EASTERN_COLUMN + 1 + LAST_WESTERN_COLUMN;
// A million sheet holds 6 x 6 sheets of 1:200 000.
constexpr std::int32_t SHEETS_PER_SIDE_200K = 6;
constexpr std::string_view WHOLE_SERIES = "all";
constexpr std::string_view RANGE_MARK = "..";
constexpr char BLOCK_MARK = ':';
constexpr char ITEM_SEPARATOR = ',';
// The letters of the Roman sheet numbers that continue a joined sheet's name.
constexpr std::string_view ROMAN_DIGITS = "IVX";

struct Range {
    std::int32_t first;
    std::int32_t last;
};

// West-to-east position of a column among the offered ones (33 is 0, 02 is 29).
std::int32_t columnPosition(std::int32_t xZone) {
    return xZone >= FIRST_EASTERN_COLUMN ? xZone - FIRST_EASTERN_COLUMN
                                         : xZone + (LAST_COLUMN - FIRST_EASTERN_COLUMN);
}

std::int32_t columnAt(std::int32_t position) {
    const std::int32_t x = position + FIRST_EASTERN_COLUMN;
    return x > LAST_COLUMN ? x - LAST_COLUMN : x;
}

// A set is UTF-8 text; a name in it is read as a job file's, in Windows-1251 and with the
// letters as the program writes them. Nothing when a character has no Windows-1251 byte:
// no name holds one.
std::optional<std::string> nameText(std::string_view utf8) {
    const std::optional<std::string> text = utf8ToCp1251(utf8);
    if (!text) return std::nullopt;
    return withNameLetters(*text);
}

// A covered row, U..K.
std::optional<std::int32_t> rowOf(std::string_view utf8) {
    const std::optional<std::string> text = nameText(utf8);
    if (!text || text->size() != 1) return std::nullopt;
    const std::optional<std::int32_t> row = rowOfLetter(text->front());
    if (!row || *row < FIRST_ROW || *row > LAST_ROW) return std::nullopt;
    return row;
}

std::optional<std::int32_t> columnOf(std::string_view text) {
    std::int32_t x = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
    if (ec != std::errc() || end != text.data() + text.size() || text.size() > 2) {
        return std::nullopt;
    }
    if (!isCoveredColumn(x)) return std::nullopt;
    return x;
}

// "A..B" or "A", each end read by readEnd; first <= last after mapping.
template <typename Reader>
std::optional<Range> rangeOf(std::string_view text, Reader readEnd) {
    const std::size_t mark = text.find(RANGE_MARK);
    const auto first = readEnd(trimBoth(text.substr(0, mark)));
    const auto last = mark == std::string_view::npos
                          ? first
                          : readEnd(trimBoth(text.substr(mark + RANGE_MARK.size())));
    if (!first || !last) return std::nullopt;
    return Range{*first, *last};
}

// Collects sheets once each, in the order they are first named.
class SheetCollector {
  public:
    void add(const SheetIdentity& sheet) {
        if (seen_.insert(sheet).second) sheets_.push_back(sheet);
    }
    std::vector<SheetIdentity> take() { return std::move(sheets_); }

  private:
    std::set<SheetIdentity> seen_;
    std::vector<SheetIdentity> sheets_;
};

// A line of the series grid: a row of million sheets (subRow 0), or one of the six rows of
// 1:200 000 sheets inside one.
struct GridLine {
    std::int32_t yZone;
    std::int32_t subRow;
};

std::int32_t cellsPerColumn(Series setScale) {
    return setScale == Series::Scale200k ? SHEETS_PER_SIDE_200K : 1;
}

// A standard or joined sheet that begins at a cell of a grid line. Cells count the columns of
// the series west to east from the west edge of column 33 (a 1:200 000 column is a sixth of
// a million one).
SheetIdentity sheetAt(Series setScale, GridLine line, std::int32_t cell, SheetType type) {
    const std::int32_t perColumn = cellsPerColumn(setScale);
    const std::int32_t xZone = columnAt(cell / perColumn);
    const std::int32_t sheetNumber = setScale == Series::Scale200k
                                         ? SHEETS_PER_SIDE_200K * line.subRow + cell % perColumn + 1
                                         : 0;
    return {setScale, line.yZone, xZone, sheetNumber, type};
}

// The sheets of a grid line that cover the given cells (west to east, each once). A joined
// sheet starts at a cell aligned to its width (T-37,38,39,40, never T-38,39,40,41; in the
// 1:200 000 series aligned to the million sheet, since every width divides six; column 33
// begins a group of four) and is taken only when all its cells are given; otherwise a
// narrower offered type is.
void addSheetsOfLine(Series setScale, GridLine line, const std::vector<std::int32_t>& cells,
                     SheetCollector& out) {
    std::size_t i = 0;
    while (i < cells.size()) {
        const std::int32_t cell = cells[i];
        for (const SheetType type : offeredSheetTypes(setScale, line.yZone)) {
            const std::int32_t width = joinedColumns(type);
            const auto last = i + static_cast<std::size_t>(width) - 1;
            const bool aligned = cell % width == 0;
            const bool complete = last < cells.size() && cells[last] == cell + width - 1;
            if (type == SheetType::Standard || (aligned && complete)) {
                out.add(sheetAt(setScale, line, cell, type));
                i += static_cast<std::size_t>(width);
                break;
            }
        }
    }
}

// The cells of the columns at the given positions.
std::vector<std::int32_t> cellsOfColumns(Series setScale, Range positions) {
    const std::int32_t perColumn = cellsPerColumn(setScale);
    std::vector<std::int32_t> cells;
    for (std::int32_t c = positions.first * perColumn; c < (positions.last + 1) * perColumn; ++c) {
        cells.push_back(c);
    }
    return cells;
}

// Row by row; in the 1:200 000 series million sheet by million sheet.
void addBlock(Range rows, Range columnPositions, Series setScale, SheetCollector& out) {
    for (std::int32_t y = rows.first; y <= rows.last; ++y) {
        if (setScale == Series::Scale1m) {
            addSheetsOfLine(setScale, {y, 0}, cellsOfColumns(setScale, columnPositions), out);
            continue;
        }
        for (std::int32_t p = columnPositions.first; p <= columnPositions.last; ++p) {
            for (std::int32_t r = 0; r < SHEETS_PER_SIDE_200K; ++r) {
                addSheetsOfLine(setScale, {y, r}, cellsOfColumns(setScale, {p, p}), out);
            }
        }
    }
}

std::string addBlockItem(std::string_view item, Series setScale, SheetCollector& out) {
    const std::size_t colon = item.find(BLOCK_MARK);
    const auto rows = rangeOf(item.substr(0, colon), rowOf);
    const auto columns = rangeOf(item.substr(colon + 1), columnOf);
    if (!rows || !columns) return "not a block of rows U..K and columns 33..60, 01, 02";
    // Rows run north to south whichever end is named first; columns run eastward.
    const Range rowRange{std::min(rows->first, rows->last), std::max(rows->first, rows->last)};
    const Range positions{columnPosition(columns->first), columnPosition(columns->last)};
    if (positions.first > positions.last) return "the columns of a block run eastward";
    addBlock(rowRange, positions, setScale, out);
    return {};
}

// From the north-west corner of U-33 to the south-east corner of K-02.
DrawingRect coveredArea() {
    const DrawingRect northWest =
        trapezoidOf({Series::Scale1m, FIRST_ROW, FIRST_EASTERN_COLUMN, 0, SheetType::Standard});
    const DrawingRect southEast =
        trapezoidOf({Series::Scale1m, LAST_ROW, LAST_WESTERN_COLUMN, 0, SheetType::Standard});
    return {northWest.west, southEast.east, southEast.south, northWest.north};
}

// Grid line by grid line, north to south, the cells the area takes, joined as in a block.
std::string addAreaItem(std::string_view item, Series setScale, SheetCollector& out) {
    const AreaReading reading = readAreaItem(item);
    if (!reading.area) return reading.error;
    const LonLatArea& area = *reading.area;
    if (!areaWithin(area, coveredArea())) return std::string(OUTSIDE_COVERAGE);
    const std::int32_t perColumn = cellsPerColumn(setScale);
    for (std::int32_t y = FIRST_ROW; y <= LAST_ROW; ++y) {
        for (std::int32_t r = 0; r < perColumn; ++r) {
            std::vector<std::int32_t> cells;
            for (std::int32_t cell = 0; cell < OFFERED_COLUMNS * perColumn; ++cell) {
                if (areaTakes(area,
                              trapezoidOf(sheetAt(setScale, {y, r}, cell, SheetType::Standard)))) {
                    cells.push_back(cell);
                }
            }
            addSheetsOfLine(setScale, {y, r}, cells, out);
        }
    }
    return {};
}

std::string addNamedItem(std::string_view item, Series setScale, SheetCollector& out) {
    const std::optional<std::string> name = utf8ToCp1251(item);
    const SheetNameReading reading = name ? readSheetIdentity(*name) : SheetNameReading();
    if (reading.status != SheetNameStatus::Read) return sheetNameRule(reading.status);
    const SheetIdentity& sheet = reading.sheet;
    if (sheet.setScale == setScale) {
        out.add(sheet);
        return {};
    }
    if (setScale == Series::Scale1m) return "a sheet of the 1:200 000 series";
    if (sheet.sheetType != SheetType::Standard)
        return "a joined million sheet has no sheets of its own";
    const std::int32_t position = columnPosition(sheet.xZone);
    addBlock({sheet.yZone, sheet.yZone}, {position, position}, Series::Scale200k, out);
    return {};
}

std::string addItem(std::string_view item, Series setScale, SheetCollector& out) {
    if (item == WHOLE_SERIES) {
        addBlock({FIRST_ROW, LAST_ROW}, {0, OFFERED_COLUMNS - 1}, setScale, out);
        return {};
    }
    if (areaPiecesAfter(item)) return addAreaItem(item, setScale, out);
    if (item.find(BLOCK_MARK) != std::string_view::npos) return addBlockItem(item, setScale, out);
    return addNamedItem(item, setScale, out);
}

bool isRomanRun(std::string_view text) {
    return !text.empty() && text.find_first_not_of(ROMAN_DIGITS) == std::string_view::npos;
}

// True when a comma-separated piece is a further part of the joined sheet named before it,
// as the program writes one: a sheet number ("II"), a column and a sheet number ("38-I"),
// or a column ("38"), in the letters a name may be typed in. No item of a set looks like
// that: a sheet name begins with a row letter, a block holds ":", and "all" holds an L.
bool continuesJoinedName(std::string_view text) {
    const std::string piece = trimBoth(nameText(text).value_or(std::string()));
    const bool column = piece.size() >= 2 && std::isdigit(static_cast<unsigned char>(piece[0])) &&
                        std::isdigit(static_cast<unsigned char>(piece[1]));
    if (!column) return isRomanRun(piece);
    const std::string_view rest = std::string_view(piece).substr(2);
    return rest.empty() || (rest.starts_with('-') && isRomanRun(rest.substr(1)));
}

// The items of a set: its comma-separated pieces, each joined sheet's name and each area
// with its angles kept whole ("T-37-I,II,III,N-37" and "bbox:36,52,38,53,N-37" are two
// items each).
std::vector<std::string_view> itemsOf(std::string_view set) {
    std::vector<std::string_view> items;
    std::size_t pieceStart = 0;
    std::size_t anglesOwed = 0;  // pieces that still belong to the area item before
    while (true) {
        const std::size_t end = std::min(set.find(ITEM_SEPARATOR, pieceStart), set.size());
        const std::string_view piece = set.substr(pieceStart, end - pieceStart);
        const bool continues = anglesOwed > 0 || continuesJoinedName(piece);
        if (anglesOwed > 0) {
            --anglesOwed;
        } else {
            anglesOwed = areaPiecesAfter(piece).value_or(0);
        }
        if (!items.empty() && continues) {
            const auto itemStart = static_cast<std::size_t>(items.back().data() - set.data());
            items.back() = set.substr(itemStart, end - itemStart);
        } else {
            items.push_back(piece);
        }
        if (end == set.size()) return items;
        pieceStart = end + 1;
    }
}

}  // namespace

SheetType polarSheetType(Series setScale, std::int32_t yZone) {
    return offeredSheetTypes(setScale, yZone).front();
}

SheetSetExpansion expandSheetSet(std::string_view set, Series setScale) {
    SheetCollector collector;
    for (const std::string_view piece : itemsOf(set)) {
        const std::string item = trimBoth(piece);
        const std::string problem =
            item.empty() ? std::string("empty item") : addItem(item, setScale, collector);
        if (!problem.empty()) {
            std::string error = "\"" + item;
            error += "\": ";
            error += problem;
            return {{}, error};
        }
    }
    return {collector.take(), {}};
}

std::string jobSheetName(const SheetIdentity& sheet) {
    // sheetNameOf names a joined sheet by all its parts; the job file wants the first part
    // and the count of parts.
    std::string name = sheetNameOf(sheet.setScale, sheet.yZone, sheet.xZone, sheet.sheetNumber,
                                   SheetType::Standard);
    if (sheet.sheetType != SheetType::Standard) {
        name += '(';
        name += std::to_string(joinedColumns(sheet.sheetType));
        name += ')';
    }
    return name;
}

DrawingRect trapezoidOf(const SheetIdentity& sheet) {
    return computeBaseParameters(sheet.setScale, sheet.yZone, sheet.xZone, sheet.sheetNumber,
                                 sheet.sheetType)
        .edges;
}

}  // namespace sheetbasis
