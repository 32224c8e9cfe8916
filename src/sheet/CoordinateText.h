#pragma once
// Texts of coordinates as the layers store them: degrees, minutes and seconds at a chosen
// precision, a longitude past 180 degrees told as a western one. Texts are Windows-1251.

#include <cstdint>
#include <string>

#include "sheet/AngleText.h"

namespace sheetbasis {

// Precision of splitDegMinSec / coordinateText: below 0 whole minutes, 0 whole seconds,
// p > 0 seconds with p decimals.
inline constexpr int PRECISION_MINUTES = -1;
inline constexpr int PRECISION_SECONDS = 0;

// What coordinateText appends: nothing, the hemisphere word ("с.ш.", "в.д." ...), or the
// letter "З" or "Ю" to western and southern values only.
enum class CoordinateTextStyle { Plain, HemisphereWord, WestSouthLetter };

// An angle split into whole degrees, whole minutes and seconds, with its sign.
struct DegMinSec {
    std::int32_t degrees = 0;
    std::int32_t minutes = 0;
    double seconds = 0.0;
    bool positive = true;
};

// Degrees (right-aligned in 4), minutes and whole seconds: "  52°05'00\"".
std::string degMinSecText(double value);
// The text of a point: the longitude text, a blank, the latitude text.
std::string pointText(double x, double y, int precision, CoordinateTextStyle style);
// Rounds the value to the precision and splits it; a longitude east of 180 is counted
// westward from Greenwich.
DegMinSec splitDegMinSec(double value, bool isLongitude, int precision);
// The text of one decomposed coordinate: "52°40'", "30°00'12.35\"" with the suffix of the
// style.
std::string coordinateText(const DegMinSec& angle, bool isLongitude, int precision,
                           CoordinateTextStyle style);

// Whole degrees with the degree sign ("52°") and whole minutes in two digits with the
// minute sign ("05'"), as the graticule lines' attributes show them.
std::string wholeDegreesText(double degrees);
std::string twoDigitMinutesText(double minutes);

}  // namespace sheetbasis
