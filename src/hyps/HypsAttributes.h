#pragma once
// Attributes of the HYPS layers and the angle texts they are made of. Every text is in
// Windows-1251 and is what the table stores: no value begins with a blank.

#include <cstdint>
#include <string>

#include "output/LayerFeatures.h"

namespace sheetbasis {

// Feature kinds of HypsL, numbered as the kind table of graticuleAttributes.
enum class HypsLineKind {
    Parallel = 1,
    Meridian = 2,
    PolarCircle = 3,
    LeftEdge = 4,
    RightEdge = 5,
    BottomEdge = 6,
    TopEdge = 7,
    Outline = 8,
};

// The code of the HypsA polygon and of every HypsP node.
inline constexpr std::int32_t HYPS_AREA_AND_NODE_CODE = -1;

// Precision of splitDegMinSec / coordinateText: below 0 whole minutes, 0 whole seconds,
// p > 0 seconds with p decimals.
inline constexpr int PRECISION_MINUTES = -1;
inline constexpr int PRECISION_SECONDS = 0;

// Styles of coordinateText: 1 appends the hemisphere word ("с.ш.", "в.д." ...), 2 appends
// the letter "З" or "Ю" to western and southern values only; any other style appends none.
inline constexpr int STYLE_HEMISPHERE_WORD = 1;
inline constexpr int STYLE_WEST_SOUTH_LETTER = 2;

// An angle split into whole degrees, whole minutes and seconds, with its sign.
struct DegMinSec {
    std::int32_t degrees = 0;
    std::int32_t minutes = 0;
    double seconds = 0.0;
    bool positive = true;
};

// The HypsL attributes of a feature of the given kind at the given latitude or longitude:
// code, name, degrees, minutes and hemisphere word.
HypsLineAttributes graticuleAttributes(HypsLineKind kind, double value);
// The HypsP attributes of a grid node: code -1, latitude and longitude texts without the
// blanks that align degMinSecText's degrees.
HypsNodeAttributes nodeAttributes(double latitude, double longitude);
// Degrees (right-aligned in 4), minutes and whole seconds: "  52°05'00\"".
std::string degMinSecText(double value);
// The text of a point: the longitude text, a blank, the latitude text.
std::string pointText(double x, double y, int precision, int style);
// Rounds the value to the precision and splits it; a longitude east of 180 is counted
// westward from Greenwich.
DegMinSec splitDegMinSec(double value, bool isLongitude, int precision);
// The text of one decomposed coordinate: "52°40'", "30°00'12.35\"" with the suffix of the
// style.
std::string coordinateText(const DegMinSec& angle, bool isLongitude, int precision, int style);

}  // namespace sheetbasis
