#pragma once
// The FRAME layers of a sheet as features: Frame (frame contours, minute frame, outer
// line, ticks), FrameAdj (names of the adjacent sheets) and FrameDig (coordinate labels).

#include <string>

#include "geo/Geometry.h"
#include "sheet/Trapezoid.h"
#include "geo/LayerFeatures.h"
#include "sheet/Grid.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Names of the four neighbouring sheets (Windows-1251, no padding).
struct AdjacentNames {
    std::string north;
    std::string south;
    std::string east;
    std::string west;
};

// The frame layers of the sheet p that its map scale calls for, drawn around the drawing
// rectangle rect with vertices every densify step (0.125 and 1/12 degree). graticule
// holds the ascending graticule values that get ticks and labels, sheet edges on the
// grid included.
FrameFeatures frameFeatures(const SheetParameters& p, const DrawingRect& rect,
                            const AngleSteps& densify, const AdjacentNames& adjacent,
                            const GraticuleValues& graticule);

}  // namespace sheetbasis
