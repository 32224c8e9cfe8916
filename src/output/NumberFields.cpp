#include "output/NumberFields.h"

#include <shapefil.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <limits>
#include <type_traits>

namespace sheetbasis {
namespace {

// The library pads a number to at most this width: its text buffer holds the widest field
// (XBASE_FLD_MAX_WIDTH) and its terminator, less one character.
constexpr int LIBRARY_PAD_WIDTH_LIMIT = XBASE_FLD_MAX_WIDTH - 1;
// Longest fixed-notation double: sign, 309 integer digits, point and up to 255 decimals
// (a column's decimals are one header byte).
constexpr std::size_t NUMBER_TEXT_CAPACITY = 1 + 309 + 1 + 255;

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
bool storeNumberAs(std::span<char> field, Number value, int decimals) {
    // Left uninitialised: only what is written is read, and clearing it cost more than the
    // rest.
    std::array<char, NUMBER_TEXT_CAPACITY> number;
    const auto written = numberText(number.data(), number.data() + number.size(), value, decimals);
    if (written.ec != std::errc{}) return false;
    const int width = static_cast<int>(field.size());
    const int length = static_cast<int>(written.ptr - number.data());
    // The library pads with leading blanks and copies at most the width.
    const int blanks = std::max(std::min(width, LIBRARY_PAD_WIDTH_LIMIT) - length, 0);
    std::copy_n(number.data(), std::min(length, width - blanks), field.begin() + blanks);
    return blanks + length <= width;
}

}  // namespace

bool storeNumber(std::span<char> field, std::int32_t value, int decimals) {
    // Most numbers of a table are whole ones that fit their column: their digits go straight
    // to the column's end, past the room that a fixed-notation double needs.
    if (decimals == 0 && field.size() <= LIBRARY_PAD_WIDTH_LIMIT) {
        std::array<char, std::numeric_limits<std::int32_t>::digits10 + 2> digits;  // and a sign
        const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
        const auto length = static_cast<std::size_t>(written.ptr - digits.data());
        if (length <= field.size()) {
            std::copy(digits.data(), written.ptr,
                      field.end() - static_cast<std::ptrdiff_t>(length));
            return true;
        }
    }
    return storeNumberAs(field, value, decimals);
}

bool storeNumber(std::span<char> field, double value, int decimals) {
    return storeNumberAs(field, value, decimals);
}

}  // namespace sheetbasis
