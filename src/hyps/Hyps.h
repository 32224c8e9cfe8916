#pragma once
// The HYPS layers of a sheet as features: HypsA (sheet outline with name and corner
// coordinates), HypsP (points of a regular grid) and HypsL (outline, graticule, polar
// circle).

#include <cstdint>
#include <string>
#include <vector>

#include "geo/Geometry.h"
#include "sheet/Trapezoid.h"
#include "geo/LayerFeatures.h"
#include "sheet/Grid.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Northern polar circle, 66°33'38.6".
inline constexpr double POLAR_CIRCLE_LATITUDE = 66.56072222222222;

// The features of the HYPS layers and the graticule lines that HypsL draws strictly
// inside the sheet.
struct HypsSheet {
    HypsFeatures features;
    GraticuleValues drawn;
};

// HypsL: its features and the graticule lines among them.
struct GraticuleLayer {
    std::vector<HypsLine> lines;
    GraticuleValues drawn;
};

// The HYPS layers of the sheet p, drawn in rect; densify holds the densifying steps
// (0.125 and 1/12 degree).
HypsSheet hypsFeatures(const SheetParameters& p, const std::string& sheetName,
                       const DrawingRect& rect, const SheetCorners& corners,
                       const AngleSteps& densify);

// The node grid steps of HypsP for the series of the sheet.
AngleSteps hypsNodeSteps(Series setScale);

// HypsA: the outline of xFrom..xTo by yFrom..yTo, densified by densify (converted to
// GSK-2011 in coordinate system 4), with the sheet name and the corner texts.
HypsArea areaFeature(const SheetParameters& p, const std::string& sheetName,
                     const SheetCorners& corners, const AngleSteps& densify);
// HypsP: the nodes of the grid with steps nodes, rows from south to north, each row from
// west to east.
std::vector<HypsNode> nodeFeatures(const SheetParameters& p, const AngleSteps& nodes);
// HypsL: the outline, the parallels and meridians of the graticule strictly inside the
// drawing rectangle (cut to the outline in coordinate system 4) and the polar circle where
// it crosses the sheet.
GraticuleLayer graticuleFeatures(const SheetParameters& p, const DrawingRect& rect,
                                 const AngleSteps& densify, const Line& outline);

}  // namespace sheetbasis
