#pragma once
// The HYPS layers of a sheet: HypsA (sheet outline with name and corner coordinates),
// HypsP (points of a regular grid) and HypsL (outline, graticule, polar circle).

#include <string>
#include <vector>

#include "output/Geometry.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Statuses of CREATEHYPS.
inline constexpr int HYPS_WRITTEN = 0;
inline constexpr int HYPS_FAILED = 1;

// Writes HypsA, HypsP and HypsL into the HYPS sub-folder p.path. lonStep and latStep are
// the densifying steps (0.125 and 1/12 degree). On return workX/workY hold the sheet
// outline, and parallels/meridians the graticule lines drawn strictly inside the sheet.
// Returns HYPS_WRITTEN or HYPS_FAILED.
int CREATEHYPS(const SheetParameters& p, const std::string& sheetName, const DrawingRect& rect,
               const SheetCorners& corners, double lonStep, double latStep,
               std::vector<double>& workX, std::vector<double>& workY,
               std::vector<double>& parallels, std::vector<double>& meridians);

}  // namespace sheetbasis
