#pragma once
// The generation of one sheet: drawing rectangle, names, HYPS layers, graticule lists and
// FRAME layers.

#include <string>
#include <vector>

#include "output/Outcome.h"
#include "output/SheetLayers.h"
#include "sheet/SheetParameters.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

// Densifying steps of all outlines and contours: 7.5 minutes of longitude and 5 minutes of
// latitude.
inline constexpr double DENSIFY_LON_STEP = 0.125;
inline constexpr double DENSIFY_LAT_STEP = 1.0 / 12.0;

// Completes a list of graticule values drawn strictly inside the sheet with the sheet's
// edges low and high where they lie on the grid base + k*step (within GRID_TOLERANCE), and
// sorts it.
void addEdgesOnGrid(std::vector<double>& list, double low, double high, double base, double step);

// The features of a sheet's six layers, with its name and the rectangle they are drawn in.
struct SheetFeatures {
    std::string sheetName;
    DrawingRect rect;
    HypsFeatures hyps;
    FrameFeatures frame;
};
SheetFeatures sheetFeaturesOf(const SheetParameters& p);

// Writes every layer of the sheet into the prepared sub-folders, then the layer styles and
// the project. A failure names the step and why; no later step is begun. The features are
// computed here unless the caller has them already (computed: sheetFeaturesOf(p)).
Outcome generateSheet(const SheetParameters& p, const LayerFolders& folders,
                      const SheetFeatures* computed = nullptr);

}  // namespace sheetbasis
