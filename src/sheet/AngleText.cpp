#include "sheet/AngleText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {

namespace {

constexpr std::int32_t MAX_MINUTES = 59;
// Longitudes above this are west of Greenwich.
constexpr double WESTERN_LONGITUDES_FROM = 180.0;
// Width of the right-adjusted degree field (" 36", "354").
constexpr int DEGREE_FIELD_WIDTH = 3;
// A minute count is written in two digits; from this value on it does not fit.
constexpr std::int32_t MINUTE_FIELD_LIMIT = 100;
constexpr std::string_view MINUTE_OVERFLOW = "**";
constexpr char MINUTE_SIGN = '\'';
constexpr char SECOND_SIGN = '"';
constexpr char BLANK = ' ';
constexpr int TWO_DIGITS = 2;
// Longest fixed-notation double the fields write: sign, 309 integer digits, point and the
// decimals of a second (a double holds no more than 9 of an angle's arc second).
constexpr std::size_t NUMBER_TEXT_CAPACITY = 1 + 309 + 1 + 9;
constexpr int MAX_SECONDS_DECIMALS = 9;
// Whole values below this take the integer formatter, which writes the same digits faster.
constexpr double INTEGER_FORMAT_LIMIT = 9.0e15;

// The value in fixed notation with the decimals, in front of it pad up to width
// characters, after it the field's sign. Whole values are written as printf's "%.0f" writes
// them, a negative zero too. The number and its sign are appended at once: every node text
// writes three fields.
void appendField(std::string& text, double value, int decimals, int width, char pad, char sign) {
    std::array<char, NUMBER_TEXT_CAPACITY + 1> digits;  // and the sign
    char* const first = digits.data();
    char* const last = first + NUMBER_TEXT_CAPACITY;
    // A cast and back rather than std::trunc, which is a library call on the baseline
    // instruction set.
    const bool integer = decimals == 0 && std::abs(value) < INTEGER_FORMAT_LIMIT &&
                         static_cast<double>(static_cast<std::int64_t>(value)) == value &&
                         !(value == 0.0 && std::signbit(value));
    char* end = integer ? std::to_chars(first, last, static_cast<std::int64_t>(value)).ptr
                        : std::to_chars(first, last, value, std::chars_format::fixed, decimals).ptr;
    const auto size = static_cast<int>(end - first);
    if (size < width) text.append(static_cast<std::size_t>(width - size), pad);
    *end++ = sign;
    text.append(first, end);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t firstNonDigit(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!isDigit(text[i])) return i;
    return std::string_view::npos;
}

// A non-empty run of decimal digits as a 32-bit count; nothing when it is empty or
// too large for 32 bits.
std::optional<std::int32_t> readDigits(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// Reads minutes: digits alone, or digits ended by the minute sign with anything after it
// ignored. The text is left-adjusted and not blank.
std::optional<std::int32_t> readMinutes(std::string_view text) {
    const std::string content = trimTrailing(text);
    const std::size_t q = firstNonDigit(content);
    if (q == std::string_view::npos) return readDigits(content);
    if (content[q] != MINUTE_SIGN) return std::nullopt;
    return readDigits(std::string_view(content).substr(0, q));
}

// Degrees and minutes of a degree text; nothing when malformed.
struct DegreesMinutes {
    std::int32_t degrees;
    std::int32_t minutes;
};

std::optional<DegreesMinutes> readDegreesMinutes(std::string_view text) {
    const std::string adjusted = leftAdjust(text);
    if (adjusted.empty()) return std::nullopt;
    const std::size_t p = firstNonDigit(adjusted);
    if (p == 0) return std::nullopt;  // a sign or any other lead character is not accepted
    const std::optional<std::int32_t> degrees = readDigits(std::string_view(adjusted).substr(0, p));
    if (!degrees) return std::nullopt;
    if (p == std::string::npos) return DegreesMinutes{*degrees, 0};
    if (adjusted[p] != CP1251_DEGREE && adjusted[p] != BLANK) return std::nullopt;
    const std::string rest = leftAdjust(std::string_view(adjusted).substr(p + 1));
    if (isBlank(rest)) return DegreesMinutes{*degrees, 0};
    const std::optional<std::int32_t> minutes = readMinutes(rest);
    if (!minutes) return std::nullopt;
    return DegreesMinutes{*degrees, *minutes};
}

}  // namespace

WholeMinutes splitIntoWholeMinutes(double angle) {
    const double v = std::round(angle * MINUTES_PER_DEGREE) / MINUTES_PER_DEGREE;
    const double degrees = std::floor(v);
    return {degrees, std::round((v - degrees) * MINUTES_PER_DEGREE)};
}

ToldLongitude toldLongitude(double longitude) {
    const ToldLongitudeOf<double> told = tellLongitude(longitude, WESTERN_LONGITUDES_FROM);
    return {told.amount, told.western};
}

void appendDegreesField(std::string& text, double wholeDegrees, int width) {
    appendField(text, wholeDegrees, 0, width, BLANK, CP1251_DEGREE);
}

void appendMinutesField(std::string& text, double wholeMinutes) {
    appendField(text, wholeMinutes, 0, TWO_DIGITS, '0', MINUTE_SIGN);
}

void appendSecondsField(std::string& text, double seconds, int decimals) {
    if (decimals <= 0) {
        appendField(text, std::trunc(seconds), 0, TWO_DIGITS, '0', SECOND_SIGN);
    } else {
        appendField(text, seconds, std::min(decimals, MAX_SECONDS_DECIMALS), 0, '0', SECOND_SIGN);
    }
}

std::string degreesToAngleText(double angle) {
    // Whole-number arithmetic stays in double, so no angle can overflow an integer.
    // Adding zero turns -0 into 0: the text holds whole numbers, which have no -0.
    double degrees = std::floor(angle) + 0.0;
    double minutes = std::round((angle - degrees) * MINUTES_PER_DEGREE) + 0.0;
    if (minutes >= MINUTES_PER_DEGREE) {
        minutes = 0.0;
        degrees += 1.0;
    }
    std::string text;
    appendDegreesField(text, degrees, DEGREE_FIELD_WIDTH);
    text += BLANK;
    appendMinutesField(text, minutes);
    return text;
}

std::string minutesToText(std::int32_t minutes) {
    // Like any two-digit field: what needs more than two characters (a sign included)
    // is shown as asterisks.
    if (minutes < 0 || minutes >= MINUTE_FIELD_LIMIT)
        return std::string(MINUTE_OVERFLOW) + MINUTE_SIGN;
    std::string text;
    appendMinutesField(text, minutes);
    return text;
}

AngleTextStatus angleTextToDegrees(std::string_view text, double& angle) {
    const std::optional<DegreesMinutes> read = readDegreesMinutes(text);
    if (!read || read->minutes > MAX_MINUTES) return AngleTextStatus::Rejected;
    angle = read->degrees + read->minutes / MINUTES_PER_DEGREE;
    return AngleTextStatus::Read;
}

AngleTextStatus textToMinutes(std::string_view text, std::int32_t& minutes) {
    const std::string adjusted = leftAdjust(text);
    if (adjusted.empty()) return AngleTextStatus::Rejected;
    const std::optional<std::int32_t> read = readMinutes(adjusted);
    if (!read) return AngleTextStatus::Rejected;
    minutes = *read;
    return minutes > MAX_MINUTES ? AngleTextStatus::Rejected : AngleTextStatus::Read;
}

}  // namespace sheetbasis
