#pragma once
// How the HYPS layers look in the users' GIS: the styles written beside them.

#include "qgis/QgisStyle.h"

namespace sheetbasis {

// HypsA: the sheet outline, nothing filled, so that the map below it shows.
LayerStyle hypsAreaStyle();
// HypsP: the grid nodes as small crosses.
LayerStyle hypsPointStyle();
// HypsL: graticule lines and outline thin, the polar circle thin and dashed.
LayerStyle hypsLineStyle();

}  // namespace sheetbasis
