#pragma once
// Everything of the frame outside the minute band: the outer line (with the names of the
// neighbouring sheets set into its gaps at 1:200 000), the graticule ticks between the
// sheet edge and the minute band, and finally the coordinate labels.

#include <vector>

#include "frame/Frame.h"
#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "output/LayerFile.h"

namespace sheetbasis {

// A neighbour's name keeps 1 mm of outer line free on either side.
inline constexpr double NAME_GAP_ALLOWANCE_MM = 2.0;

// The three FRAME layers; a layer that the settings do not call for stays unopened.
struct FrameLayers {
    Layer frame;     // Frame: lines
    Layer adjacent;  // FrameAdj: names of the neighbouring sheets
    Layer digits;    // FrameDig: coordinate labels
};

// Returns DrawStatus::Drawn, or DrawStatus::NotWritten at the first feature that could not be
// written; features written before stay in their layers.
DrawStatus writeOuterFrame(FrameLayers& layers, const FrameSettings& settings,
                           const FrameSheet& sheet, const AdjacentNames& adjacent,
                           const std::vector<double>& parallels,
                           const std::vector<double>& meridians, VertexBuffer& work);

}  // namespace sheetbasis
