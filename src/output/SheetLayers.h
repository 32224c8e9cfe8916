#pragma once
// The six layers of a sheet written as shapefiles: each layer's table schema, and its
// features in the order the layer family gave them.

#include <cstdint>
#include <string>

#include "geo/LayerFeatures.h"
#include "output/Outcome.h"
#include "sheet/CoordinateSystem.h"

namespace sheetbasis {

// The two sub-folders of a result folder that the layers of a sheet are written into.
struct LayerFolders {
    std::string hyps;   // HypsA, HypsP, HypsL
    std::string frame;  // Frame, FrameAdj, FrameDig
};

// Writes HypsA, HypsP and HypsL into folder in the coordinate system cs, each closed
// before the next is begun. A failure names the layer and why; no later layer is begun.
// Within a ResultReplacement the layers written wait, staged, for its commit.
Outcome writeHypsLayers(const std::string& folder, CoordinateSystem cs,
                        const HypsFeatures& features);

// Writes the FRAME layers that features holds into folder: Frame, FrameAdj, FrameDig.
// Every one of them is written, whatever became of the one before, so that what could be
// written stays; the first failure names its layer and why.
Outcome writeFrameLayers(const std::string& folder, CoordinateSystem cs,
                         const FrameFeatures& features);

}  // namespace sheetbasis
