#pragma once
// Attributes of the HYPS layers; their angle texts are sheet/CoordinateText.h. Every text is in
// Windows-1251 and is what the table stores: no value begins with a blank.

#include <cstdint>
#include <string>

#include "geo/LayerFeatures.h"

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

// The HypsL attributes of a feature of the given kind at the given latitude or longitude:
// code, name, degrees, minutes and hemisphere word.
HypsLineAttributes graticuleAttributes(HypsLineKind kind, double value);
// The HypsP attributes of a grid node: code -1, latitude and longitude texts without the
// blanks that align degMinSecText's degrees.
HypsNodeAttributes nodeAttributes(double latitude, double longitude);
}  // namespace sheetbasis
