#pragma once
// Everything of the frame outside the minute band: the outer line (with the names of the
// neighbouring sheets set into its gaps at 1:200 000) and the graticule ticks between the
// sheet edge and the minute band.

#include <vector>

#include "frame/Frame.h"
#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "geo/LayerFeatures.h"
#include "sheet/Grid.h"

namespace sheetbasis {

// A neighbour's name keeps 1 mm of outer line free on either side.
inline constexpr double NAME_GAP_ALLOWANCE_MM = 2.0;

// The lines of the layer Frame outside the minute band, and the names of the neighbours
// (FrameAdj) set into the gaps of the outer line.
struct OuterFrame {
    std::vector<FrameLine> lines;
    std::vector<Label> names;
};

// The outer line with the names in its gaps, then the ticks of the graticule parallels on
// the west and east sides and of its meridians on the north and south sides.
OuterFrame outerFrame(const FrameSettings& settings, const FrameSheet& sheet,
                      const AdjacentNames& adjacent, const GraticuleValues& graticule);

}  // namespace sheetbasis
