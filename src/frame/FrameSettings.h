#pragma once
// The scale-dependent settings of the frame layers of one sheet; the conversion from map
// millimetres to degrees that every frame routine shares is geo/MapDistance.h.

#include <cstdint>

#include "frame/FontMetrics.h"
#include "geo/MapDistance.h"
#include "sheet/MapScale.h"
#include "sheet/Series.h"

namespace sheetbasis {

// L_code values of the FRAME layers.
inline constexpr std::int32_t CODE_MINUTE_FRAME = 400901;
inline constexpr std::int32_t CODE_OUTER_LINE = 400902;
inline constexpr std::int32_t CODE_OUTER_THIN_LINE = 400903;
inline constexpr std::int32_t CODE_MERIDIAN_TICK = 400904;
inline constexpr std::int32_t CODE_PARALLEL_TICK = 400905;
inline constexpr std::int32_t CODE_ADJACENT_LABEL = 400911;
inline constexpr std::int32_t CODE_LABEL_SERIES_SCALE = 400912;
inline constexpr std::int32_t CODE_LABEL_REDUCED_SCALE = 400913;
inline constexpr std::int32_t CODE_OUTER_LINE_REDUCED = 400922;

// Kinds of outer line.
inline constexpr std::int32_t OUTER_LINE_NONE = 0;
inline constexpr std::int32_t OUTER_LINE_SINGLE = 1;
inline constexpr std::int32_t OUTER_LINE_FLANKED = 2;

// Distances are millimetres on the printed map, sizes are points.
struct FrameSettings {
    double scaleDenominator = 0.0;
    bool minuteFrameOn = false;
    double minuteFrameOffset = 0.0;
    double minuteFrameWidth = 0.0;
    bool minuteParityX = false;
    bool minuteParityY = false;
    std::int32_t minuteFrameCode = 0;
    std::int32_t minuteTickCode = 0;
    std::int32_t minuteBarCode = 0;
    bool outerFrameOn = false;
    std::int32_t outerFrameCodeA = 0;
    std::int32_t outerFrameCodeB = 0;
    bool coordLabelsOn = false;
    double coordLabelSize = 0.0;
    LabelFont coordLabelFont = LabelFont::Pragmatica;
    std::int32_t coordLabelCode = 0;
    bool adjacentLabelsOn = false;
    double adjacentLabelSize = 0.0;
    LabelFont adjacentLabelFont = LabelFont::Pragmatica;
    std::int32_t adjacentLabelCode = 0;
    std::int32_t outerLineMode = OUTER_LINE_NONE;
    double outerLineOffset = 0.0;
    std::int32_t outerLineCode = 0;
    double outerLineGap = 0.0;
    std::int32_t outerThinLineCode = 0;
};

// The settings of a sheet of series setScale drawn at mapScale. A scale that the series
// does not offer leaves every flag false, so that no frame layer is produced. The font tables are
// constant data (FontMetrics.h) and need no loading.
FrameSettings frameSettingsFor(Series setScale, MapScale mapScale);

// Which FRAME layers a sheet with these settings has: Frame when any frame line is drawn,
// FrameAdj when the neighbour names have an outer line to stand in, FrameDig with the
// coordinate labels.
struct FrameLayerSet {
    bool frame = false;
    bool adjacent = false;
    bool digits = false;
};
FrameLayerSet frameLayersOf(const FrameSettings& settings);

}  // namespace sheetbasis
