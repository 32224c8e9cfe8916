#pragma once
// The HYPS layers of a sheet: HypsA (sheet outline with name and corner coordinates),
// HypsP (points of a regular grid) and HypsL (outline, graticule, polar circle).

#include <cstdint>
#include <string>
#include <vector>

#include "output/Geometry.h"
#include "output/Outcome.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Northern polar circle, 66°33'38.6".
inline constexpr double POLAR_CIRCLE_LATITUDE = 66.56072222222222;

// A longitude step and a latitude step in degrees.
struct AngleSteps {
    double lon = 0.0;
    double lat = 0.0;
};

// Writes HypsA, HypsP and HypsL into the HYPS sub-folder p.path. lonStep and latStep are
// the densifying steps (0.125 and 1/12 degree). On return workX/workY hold the sheet
// outline, and parallels/meridians the graticule lines drawn strictly inside the sheet.
// A failure names the layer and why; the layers written before it stay.
Outcome writeHypsLayers(const SheetParameters& p, const std::string& sheetName,
                        const DrawingRect& rect, const SheetCorners& corners, double lonStep,
                        double latStep, std::vector<double>& workX, std::vector<double>& workY,
                        std::vector<double>& parallels, std::vector<double>& meridians);

// The node grid steps of HypsP for the series of the sheet.
AngleSteps hypsNodeSteps(std::int32_t setScale);

// Writes HypsA (the outline of xFrom..xTo by yFrom..yTo, densified by densify, with the
// sheet name and the corner texts) and HypsP (the nodes of the grid with steps nodes).
// The outline is left in workX/workY, converted to GSK-2011 in coordinate system 4.
Outcome writeAreaAndNodeLayers(const SheetParameters& p, const std::string& sheetName,
                               const SheetCorners& corners, const AngleSteps& densify,
                               const AngleSteps& nodes, std::vector<double>& workX,
                               std::vector<double>& workY);

// Writes HypsL: the outline in workX/workY, the parallels and meridians of the graticule
// strictly inside the drawing rectangle (cut to the outline in coordinate system 4) and
// the polar circle where it crosses the sheet. parallels and meridians are refilled with
// the lines drawn.
Outcome writeGraticuleLayer(const SheetParameters& p, const DrawingRect& rect,
                            const AngleSteps& densify, const std::vector<double>& workX,
                            const std::vector<double>& workY, std::vector<double>& parallels,
                            std::vector<double>& meridians);

}  // namespace sheetbasis
