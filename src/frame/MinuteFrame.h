#pragma once
// The minute frame: a graduated band just outside the sheet edges, two closed band lines,
// division lines every xMinute (yMinute) minutes counted from the nominal sheet corner and
// a centre line in every other division, all lines of the layer Frame.

#include <vector>

#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "geo/LayerFeatures.h"

namespace sheetbasis {

// The two band contours, then the divisions of the north, south, west and east sides.
std::vector<FrameLine> minuteFrame(const FrameSettings& settings, const FrameSheet& sheet);
// The divisions of the north side (north = true) or of the south side.
std::vector<FrameLine> minuteTicksNorthSouth(bool north, const FrameSettings& settings,
                                             const FrameSheet& sheet);
// The divisions of the west side (west = true) or of the east side.
std::vector<FrameLine> minuteTicksWestEast(bool west, const FrameSettings& settings,
                                           const FrameSheet& sheet);

}  // namespace sheetbasis
