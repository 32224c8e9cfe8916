#include "sheet/CoordinateText.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

constexpr double SECONDS_PER_DEGREE = MINUTES_PER_DEGREE * SECONDS_PER_MINUTE;

// Width of the degrees of degMinSecText.
constexpr int NODE_DEGREES_WIDTH = 4;

// More decimals of an arc second than a double holds for a longitude up to 360 degrees
// (about 2e-10 second) carry no information; the cap also keeps the unit count in 64 bits.
constexpr int MAX_SECONDS_DECIMALS = 9;
// Unit counts are kept below 2^62 so that no conversion or sum can overflow int64.
constexpr double MAX_UNIT_COUNT = 4611686018427387904.0;

// A rounded angle as a 32-bit integer; values outside its range (never an angle of a
// sheet, only of corrupt input) are clamped instead of overflowing, NaN gives 0.
std::int32_t toInt32(double whole) {
    if (std::isnan(whole)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(whole, lo, hi));
}

std::int64_t powerOfTen(int exponent) {
    std::int64_t result = 1;
    for (int i = 0; i < exponent; ++i) result *= 10;
    return result;
}

// Units of the precision in one arc second (1 for whole seconds, 10^p for p decimals).
std::int64_t unitsPerSecond(int precision) {
    return powerOfTen(std::clamp(precision, 0, MAX_SECONDS_DECIMALS));
}

std::int64_t unitsPerDegree(int precision) {
    constexpr std::int64_t minutesPerDegree = 60;
    constexpr std::int64_t secondsPerDegree = 3600;
    return precision < 0 ? minutesPerDegree : secondsPerDegree * unitsPerSecond(precision);
}

// The absolute value as a whole count of units, rounded halves away from zero.
std::int64_t unitCount(double magnitude, std::int64_t perDegree) {
    const double units = std::round(magnitude * static_cast<double>(perDegree));
    if (std::isnan(units)) return 0;
    return static_cast<std::int64_t>(std::min(units, MAX_UNIT_COUNT));
}

std::string hemisphereWord(bool isLongitude, bool positive) {
    if (isLongitude) return cp1251(positive ? "в.д." : "з.д.");
    return cp1251(positive ? "с.ш." : "ю.ш.");
}

std::string styleSuffix(bool isLongitude, bool positive, CoordinateTextStyle style) {
    if (style == CoordinateTextStyle::HemisphereWord) {
        return ' ' + hemisphereWord(isLongitude, positive);
    }
    if (style == CoordinateTextStyle::WestSouthLetter && !positive) {
        return ' ' + cp1251(isLongitude ? "З" : "Ю");
    }
    return {};
}

}  // namespace

std::string degMinSecText(double value) {
    const double t = std::round(value * SECONDS_PER_DEGREE) / SECONDS_PER_DEGREE;
    const double degrees = std::floor(t);
    const double r = (t - degrees) * MINUTES_PER_DEGREE;
    const double rMinutes = std::round(r * SECONDS_PER_MINUTE) / SECONDS_PER_MINUTE;
    const double minutes = std::floor(rMinutes);
    const double seconds = std::floor(std::round((rMinutes - minutes) * SECONDS_PER_MINUTE));
    std::string text;
    appendDegreesField(text, toInt32(degrees), NODE_DEGREES_WIDTH);
    appendMinutesField(text, toInt32(minutes));
    appendSecondsField(text, toInt32(seconds), PRECISION_SECONDS);
    return text;
}

DegMinSec splitDegMinSec(double value, bool isLongitude, int precision) {
    DegMinSec angle;
    angle.positive = value >= 0.0;
    const std::int64_t perDegree = unitsPerDegree(precision);
    std::int64_t units = unitCount(std::abs(value), perDegree);
    if (isLongitude) {
        constexpr std::int64_t HALF_TURN_DEGREES = 180;
        const ToldLongitudeOf<std::int64_t> told =
            tellLongitude(units, HALF_TURN_DEGREES * perDegree);
        units = told.amount;
        if (told.western) angle.positive = !angle.positive;
    }
    if (units == 0) return DegMinSec{};
    // The split is made on the whole count of units, so 52°40' gives exactly 40 minutes
    // and no seconds, whatever the binary value of 52 + 2/3 was.
    const std::int64_t perMinute = perDegree / 60;
    const std::int64_t remainder = units % perDegree;
    const std::int64_t wholeDegrees = units / perDegree;
    angle.degrees = static_cast<std::int32_t>(
        std::min<std::int64_t>(wholeDegrees, std::numeric_limits<std::int32_t>::max()));
    angle.minutes = static_cast<std::int32_t>(remainder / perMinute);
    if (precision >= 0) {
        const std::int64_t perSecond = unitsPerSecond(precision);
        angle.seconds = static_cast<double>(remainder % perMinute) / static_cast<double>(perSecond);
    }
    return angle;
}

std::string coordinateText(const DegMinSec& angle, bool isLongitude, int precision,
                           CoordinateTextStyle style) {
    std::string text;
    appendDegreesField(text, angle.degrees, 0);
    appendMinutesField(text, angle.minutes);
    if (precision >= PRECISION_SECONDS) appendSecondsField(text, angle.seconds, precision);
    return text + styleSuffix(isLongitude, angle.positive, style);
}

std::string pointText(double x, double y, int precision, CoordinateTextStyle style) {
    constexpr bool longitude = true;
    constexpr bool latitude = false;
    const DegMinSec lon = splitDegMinSec(x, longitude, precision);
    const DegMinSec lat = splitDegMinSec(y, latitude, precision);
    return coordinateText(lon, longitude, precision, style) + ' ' +
           coordinateText(lat, latitude, precision, style);
}

std::string wholeDegreesText(double degrees) {
    std::string text;
    appendDegreesField(text, toInt32(degrees), 0);
    return text;
}

std::string twoDigitMinutesText(double minutes) {
    std::string text;
    appendMinutesField(text, toInt32(minutes));
    return text;
}

}  // namespace sheetbasis
