#pragma once
// The generation of one sheet: drawing rectangle, names, HYPS layers, graticule lists and
// FRAME layers.

#include <vector>

#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Densifying steps of all outlines and contours: 7.5 minutes of longitude and 5 minutes of
// latitude.
inline constexpr double DENSIFY_LON_STEP = 0.125;
inline constexpr double DENSIFY_LAT_STEP = 1.0 / 12.0;

// Completes a list of graticule values drawn strictly inside the sheet with the sheet's
// edges low and high where they lie on the grid base + k*step (within GRID_TOLERANCE), and
// sorts it.
void addEdgesOnGrid(std::vector<double>& list, double low, double high, double base, double step);

// Which step stopped the generation; no later step is begun.
enum class GenerationStatus {
    Done = 0,
    HypsFailed = 1,
    FrameFailed = 2,
    QgisFilesFailed = 3,  // the layer styles or the project
};

// Writes every layer of the sheet; p.path names the HYPS and p.outputFolder the FRAME
// sub-folder.
GenerationStatus generateSheet(const SheetParameters& p);

}  // namespace sheetbasis
