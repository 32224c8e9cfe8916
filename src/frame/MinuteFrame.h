#pragma once
// The minute frame: a graduated band just outside the sheet edges, two closed band lines,
// division lines every xMinute (yMinute) minutes counted from the nominal sheet corner and
// a centre line in every other division, drawn into the layer Frame.

#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "output/LayerFile.h"

namespace sheetbasis {

// The two band contours, then the divisions of the north, south, west and east sides.
// Returns DrawStatus::Drawn, or DrawStatus::NotWritten at the first feature that could not be
// written.
DrawStatus writeMinuteFrame(Layer& frame, const FrameSettings& settings, const FrameSheet& sheet,
                            VertexBuffer& work);
// The divisions of the north side (north = true) or of the south side.
DrawStatus writeMinuteTicksNorthSouth(bool north, Layer& frame, const FrameSettings& settings,
                                      const FrameSheet& sheet, VertexBuffer& work);
// The divisions of the west side (west = true) or of the east side.
DrawStatus writeMinuteTicksWestEast(bool west, Layer& frame, const FrameSettings& settings,
                                    const FrameSheet& sheet, VertexBuffer& work);

}  // namespace sheetbasis
