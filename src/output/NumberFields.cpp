#include "output/NumberFields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <type_traits>

namespace sheetbasis {
namespace {

// The library pads a number to at most this width: its text buffer holds the widest field
// (XBASE_FLD_MAX_WIDTH) and its terminator, less one character.
constexpr int LIBRARY_PAD_WIDTH_LIMIT = XBASE_FLD_MAX_WIDTH - 1;
// Longest fixed-notation double: sign, 309 integer digits, point and up to 255 decimals
// (a column's decimals are one header byte).
constexpr std::size_t NUMBER_TEXT_CAPACITY = 1 + 309 + 1 + 255;

struct NumberColumn {
    int width = 0;
    int decimals = 0;
};

bool numberColumn(DBFInfo* table, int column, NumberColumn& found) {
    if (table == nullptr) return false;
    const DBFFieldType type =
        DBFGetFieldInfo(table, column, nullptr, &found.width, &found.decimals);
    return type == FTInteger || type == FTDouble;
}

// The number as the column shows it: integers without decimals are exact, any other value
// goes through fixed notation with the column's decimals, rounded as printf rounds.
template <typename Number>
std::to_chars_result numberText(char* first, char* last, Number value, int decimals) {
    if constexpr (std::is_integral_v<Number>) {
        if (decimals == 0) return std::to_chars(first, last, value);
    }
    return std::to_chars(first, last, static_cast<double>(value), std::chars_format::fixed,
                         decimals);
}

template <typename Number>
bool writeNumber(DBFInfo* table, int row, int column, Number value) {
    NumberColumn shape;
    if (!numberColumn(table, column, shape)) return false;
    // Leading blanks, then the number, then the terminator the raw writer looks for. Left
    // uninitialised: only what is written is read, and clearing them cost more than the rest.
    std::array<char, LIBRARY_PAD_WIDTH_LIMIT + NUMBER_TEXT_CAPACITY + 1> field;
    std::array<char, NUMBER_TEXT_CAPACITY> number;
    const auto written =
        numberText(number.data(), number.data() + number.size(), value, shape.decimals);
    if (written.ec != std::errc{}) return false;
    const int length = static_cast<int>(written.ptr - number.data());
    const int blanks = std::max(std::min(shape.width, LIBRARY_PAD_WIDTH_LIMIT) - length, 0);
    std::fill_n(field.begin(), blanks, ' ');
    std::copy(number.data(), written.ptr, field.begin() + blanks);
    const bool fits = blanks + length <= shape.width;
    field[static_cast<std::size_t>(std::min(blanks + length, shape.width))] = '\0';
    return DBFWriteAttributeDirectly(table, row, column, field.data()) != 0 && fits;
}

}  // namespace

bool writeIntegerField(DBFInfo* table, int row, int column, std::int32_t value) {
    return writeNumber(table, row, column, value);
}

bool writeDecimalField(DBFInfo* table, int row, int column, double value) {
    return writeNumber(table, row, column, value);
}

}  // namespace sheetbasis
