#include "sheet/Text.h"

#include <algorithm>

namespace sheetbasis {

namespace {

// Only the blank pads the program's text buffers; other white space is content.
constexpr char BLANK = ' ';

}  // namespace

std::string leftAdjust(std::string_view text) {
    const std::size_t first = text.find_first_not_of(BLANK);
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string trimTrailing(std::string_view text) {
    const std::size_t last = text.find_last_not_of(BLANK);
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string trimBoth(std::string_view text) {
    return trimTrailing(leftAdjust(text));
}

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == BLANK; });
}

std::string cutTo(std::string_view text, std::size_t n) {
    return std::string(text.substr(0, std::min(n, text.size())));
}

}  // namespace sheetbasis
