#include "frame/Frame.h"

#include <filesystem>

#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "frame/MinuteFrame.h"
#include "frame/OuterFrame.h"
#include "sheet/Text.h"

namespace sheetbasis {

namespace {

// "L_code" of the FRAME layers is 8 digits wide; label texts, fonts and sizes 100.
constexpr int FRAME_CODE_WIDTH = 8;
constexpr int LABEL_FIELD_WIDTH = 100;

std::vector<FieldDef> lineFields() {
    return {{"L_code", FIELD_INTEGER, FRAME_CODE_WIDTH, 0}};
}

std::vector<FieldDef> labelFields() {
    return {{"L_code", FIELD_INTEGER, FRAME_CODE_WIDTH, 0},
            {"Text", FIELD_TEXT, LABEL_FIELD_WIDTH, 0},
            {"Font", FIELD_TEXT, LABEL_FIELD_WIDTH, 0},
            {"Size", FIELD_TEXT, LABEL_FIELD_WIDTH, 0}};
}

bool openLayer(std::int32_t cs, const std::filesystem::path& folder, const char* name,
               const std::vector<FieldDef>& fields, Layer& layer) {
    return createLayer(cs, SHAPE_ARC, (folder / name).string(), fields, layer) ==
           LayerStatus::Created;
}

}  // namespace

FrameStatus writeFrameLayers(const SheetParameters& p, const AdjacentNames& adjacent,
                             const DrawingRect& rect, double lonStep, double latStep,
                             std::vector<double>& workX, std::vector<double>& workY,
                             const std::vector<double>& parallels,
                             const std::vector<double>& meridians,
                             const SheetCorners& /*corners*/) {
    const FrameSettings settings = frameSettingsFor(p.setScale, p.mapScale);
    const FrameSheet sheet{rect,
                           lonStep,
                           latStep,
                           settings.scaleDenominator,
                           SPHERE_RADIUS_KM,
                           {p.baseXFrom, p.baseXTo, p.baseYFrom, p.baseYTo},
                           p.xMinute,
                           p.yMinute,
                           {p.xFrom, p.xTo, p.yFrom, p.yTo}};
    const FrameLayerSet wanted = frameLayersOf(settings);
    const std::filesystem::path folder(trimTrailing(p.outputFolder));
    // The layers close themselves when they go out of scope, on success and on failure
    // alike, so that whatever was written before a failure stays readable.
    FrameLayers layers;
    if ((wanted.frame && !openLayer(p.cs, folder, "Frame", lineFields(), layers.frame)) ||
        (wanted.adjacent && !openLayer(p.cs, folder, "FrameAdj", labelFields(), layers.adjacent)) ||
        (wanted.digits && !openLayer(p.cs, folder, "FrameDig", labelFields(), layers.digits))) {
        return FrameStatus::LayerNotCreated;
    }
    VertexBuffer work{workX, workY};
    if (settings.minuteFrameOn &&
        writeMinuteFrame(layers.frame, settings, sheet, work) != DrawStatus::Drawn) {
        return FrameStatus::FeatureNotWritten;
    }
    if ((settings.outerFrameOn || settings.outerLineMode != OUTER_LINE_NONE) &&
        writeOuterFrame(layers, settings, sheet, adjacent, parallels, meridians, work) !=
            DrawStatus::Drawn) {
        return FrameStatus::FeatureNotWritten;
    }
    for (Layer* layer : {&layers.frame, &layers.adjacent, &layers.digits}) {
        if (layer->shape || layer->table) closeLayer(*layer);
    }
    return FrameStatus::Written;
}

}  // namespace sheetbasis
