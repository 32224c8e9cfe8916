#include "frame/FrameSettings.h"

#include <algorithm>
#include <optional>

#include "sheet/SheetParameters.h"

namespace sheetbasis {

namespace {

// The published layout sizes were once held in single precision; these are those values
// widened to double, which keeps every frame line where it has always been drawn.
// 1.2 mm, the width of the minute band at 1:200 000.
constexpr double MINUTE_BAND_WIDTH_200K_MM = 1.2000000476837158;
// 9.8 mm, the outer line of a 1:200 000 sheet.
constexpr double OUTER_LINE_OFFSET_200K_MM = 9.800000190734863;
// 1.1 mm, the distance of the thin lines from the outer line at 1:1 000 000.
constexpr double OUTER_THIN_LINE_GAP_1M_MM = 1.100000023841858;
static_assert(MINUTE_BAND_WIDTH_200K_MM == static_cast<double>(1.2f));
static_assert(OUTER_LINE_OFFSET_200K_MM == static_cast<double>(9.8f));
static_assert(OUTER_THIN_LINE_GAP_1M_MM == static_cast<double>(1.1f));

// Minute band of the 1:200 000 map: 7 mm outside the sheet edge.
constexpr double MINUTE_BAND_OFFSET_200K_MM = 7.0;
// Minute band of the 1:1 000 000 map: on the sheet edge, 1 mm wide.
constexpr double MINUTE_BAND_OFFSET_1M_MM = 0.0;
constexpr double MINUTE_BAND_WIDTH_1M_MM = 1.0;
// Outer line of the reduced-scale maps and of the million map.
constexpr double OUTER_LINE_OFFSET_REDUCED_MM = 5.0;
constexpr double OUTER_LINE_OFFSET_1M_MM = 8.5;
// Label sizes in points.
constexpr double LABEL_SIZE_200K_PT = 6.5;
constexpr double LABEL_SIZE_500K_PT = 5.0;
constexpr double LABEL_SIZE_1M_PT = 8.0;
constexpr double LABEL_SIZE_2500K_PT = 5.5;

FrameSettings map200k() {
    FrameSettings f;
    f.minuteFrameOn = true;
    f.minuteFrameOffset = MINUTE_BAND_OFFSET_200K_MM;
    f.minuteFrameWidth = MINUTE_BAND_WIDTH_200K_MM;
    f.outerFrameOn = true;
    f.outerFrameCodeA = CODE_MERIDIAN_TICK;
    f.outerFrameCodeB = CODE_PARALLEL_TICK;
    f.coordLabelsOn = true;
    f.coordLabelSize = LABEL_SIZE_200K_PT;
    f.coordLabelFont = LabelFont::FreeSet;
    f.coordLabelCode = CODE_LABEL_SERIES_SCALE;
    f.adjacentLabelsOn = true;
    f.adjacentLabelSize = LABEL_SIZE_200K_PT;
    f.adjacentLabelFont = LabelFont::Pragmatica;
    f.adjacentLabelCode = CODE_ADJACENT_LABEL;
    f.outerLineMode = OUTER_LINE_SINGLE;
    f.outerLineOffset = OUTER_LINE_OFFSET_200K_MM;
    f.outerLineCode = CODE_OUTER_LINE;
    return f;
}

// A reduced map (1:500 000 of the 200 000 series, 1:2 500 000 of the million series):
// labels and one outer line, nothing else.
FrameSettings reducedMap(double labelSize, LabelFont labelFont) {
    FrameSettings f;
    f.coordLabelsOn = true;
    f.coordLabelSize = labelSize;
    f.coordLabelFont = labelFont;
    f.coordLabelCode = CODE_LABEL_REDUCED_SCALE;
    f.outerLineMode = OUTER_LINE_SINGLE;
    f.outerLineOffset = OUTER_LINE_OFFSET_REDUCED_MM;
    f.outerLineCode = CODE_OUTER_LINE_REDUCED;
    return f;
}

FrameSettings map1m() {
    FrameSettings f;
    f.minuteFrameOn = true;
    f.minuteFrameOffset = MINUTE_BAND_OFFSET_1M_MM;
    f.minuteFrameWidth = MINUTE_BAND_WIDTH_1M_MM;
    f.coordLabelsOn = true;
    f.coordLabelSize = LABEL_SIZE_1M_PT;
    f.coordLabelFont = LabelFont::Centurion;
    f.coordLabelCode = CODE_LABEL_SERIES_SCALE;
    f.outerLineMode = OUTER_LINE_FLANKED;
    f.outerLineOffset = OUTER_LINE_OFFSET_1M_MM;
    f.outerLineCode = CODE_OUTER_LINE;
    f.outerLineGap = OUTER_THIN_LINE_GAP_1M_MM;
    f.outerThinLineCode = CODE_OUTER_THIN_LINE;
    return f;
}

// The column of the decision table for the sheet; nothing for a scale that its series does
// not offer. A map too small for a frame has nothing but its scale.
std::optional<FrameSettings> decisionTable(Series setScale, MapScale mapScale) {
    const bool knownSeries = setScale == Series::Scale200k || setScale == Series::Scale1m;
    const auto offered = mapScalesOf(setScale);
    if (!knownSeries || std::find(offered.begin(), offered.end(), mapScale) == offered.end()) {
        return std::nullopt;
    }
    switch (mapScale) {
        case MapScale::Scale200k:
            return map200k();
        case MapScale::Scale500k:
            return reducedMap(LABEL_SIZE_500K_PT, LabelFont::FreeSet);
        case MapScale::Scale1m:
            return setScale == Series::Scale1m ? map1m() : FrameSettings{};
        case MapScale::Scale2500k:
            return reducedMap(LABEL_SIZE_2500K_PT, LabelFont::Centurion);
        case MapScale::Scale5m:
            return FrameSettings{};
    }
    return std::nullopt;
}

}  // namespace

FrameLayerSet frameLayersOf(const FrameSettings& s) {
    const bool outerLine = s.outerLineMode != OUTER_LINE_NONE;
    return {outerLine || s.minuteFrameOn || s.outerFrameOn, s.adjacentLabelsOn && outerLine,
            s.coordLabelsOn};
}

FrameSettings frameSettingsFor(Series setScale, MapScale mapScale) {
    const std::optional<FrameSettings> column = decisionTable(setScale, mapScale);
    // A sheet the table does not know gets no frame at all, not even a minute parity.
    if (!column) return {};
    FrameSettings f = *column;
    f.scaleDenominator = denominatorOf(mapScale);
    // The minute divisions always begin with a drawn (black) division at the anchor.
    f.minuteParityX = true;
    f.minuteParityY = true;
    f.minuteFrameCode = CODE_MINUTE_FRAME;
    f.minuteTickCode = CODE_MINUTE_FRAME;
    f.minuteBarCode = CODE_MINUTE_FRAME;
    // Neighbour names are set into gaps of the outer line, so they need one; graticule
    // ticks join the sheet edge to a minute band that lies away from it.
    if (f.outerLineMode == OUTER_LINE_NONE) f.adjacentLabelsOn = false;
    if (!f.minuteFrameOn || f.minuteFrameOffset == 0.0) f.outerFrameOn = false;
    return f;
}

}  // namespace sheetbasis
