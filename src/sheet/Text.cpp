#include "sheet/Text.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <vector>

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

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

std::string groupedDigits(long long value) {
    constexpr std::size_t GROUP = 3;
    std::string digits = std::to_string(value);
    for (auto at = digits.size(); at > GROUP; at -= GROUP) digits.insert(at - GROUP, 1, ' ');
    return digits;
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    // One row of the distance table at a time: row[j] is the distance from the first i
    // bytes of a to the first j bytes of b.
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substituted = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, substituted});
        }
    }
    return row[b.size()];
}

std::optional<std::string_view> nearestWord(std::string_view typed,
                                            std::span<const std::string_view> known) {
    std::optional<std::string_view> nearest;
    std::size_t nearestDistance = 0;
    for (const std::string_view word : known) {
        const std::size_t distance = editDistance(typed, word);
        const bool nearEnough = distance <= std::max<std::size_t>(1, word.size() / 3);
        if (nearEnough && (!nearest || distance < nearestDistance)) {
            nearest = word;
            nearestDistance = distance;
        }
    }
    return nearest;
}

}  // namespace sheetbasis
