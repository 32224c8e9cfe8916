#pragma once
// The FRAME layers of a sheet: Frame (frame contours, minute frame, outer line, ticks),
// FrameAdj (names of the adjacent sheets) and FrameDig (coordinate labels).

#include <string>
#include <vector>

#include "output/Geometry.h"
#include "output/Outcome.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Names of the four neighbouring sheets (Windows-1251, no padding).
struct AdjacentNames {
    std::string north;
    std::string south;
    std::string east;
    std::string west;
};

// Writes the frame layers into the FRAME sub-folder p.outputFolder. rect is the drawing
// rectangle, lonStep and latStep the densifying steps (0.125 and 1/12 degree); parallels
// and meridians are the ascending graticule values, sheet edges on the grid included.
// workX/workY are scratch buffers. A failure names the layer and why; the layers are
// closed whatever happened, so that what was written before a failure stays.
Outcome writeFrameLayers(const SheetParameters& p, const AdjacentNames& adjacent,
                         const DrawingRect& rect, double lonStep, double latStep,
                         std::vector<double>& workX, std::vector<double>& workY,
                         const std::vector<double>& parallels,
                         const std::vector<double>& meridians);

}  // namespace sheetbasis
