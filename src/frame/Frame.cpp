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

// Layer names, in the order the layers are opened and closed.
constexpr const char* FRAME_LAYER_NAME = "Frame";
constexpr const char* ADJACENT_LAYER_NAME = "FrameAdj";
constexpr const char* DIGITS_LAYER_NAME = "FrameDig";

Outcome openLayer(std::int32_t cs, const std::filesystem::path& folder, const char* name,
                  const std::vector<FieldDef>& fields, Layer& layer) {
    if (createLayer(cs, SHAPE_ARC, (folder / name).string(), fields, layer) ==
        LayerStatus::Created) {
        return {};
    }
    return Outcome::failure(std::string(name) + ": cannot be created");
}

Outcome openLayers(std::int32_t cs, const std::filesystem::path& folder,
                   const FrameLayerSet& wanted, FrameLayers& layers) {
    Outcome opened;
    if (opened && wanted.frame) {
        opened = openLayer(cs, folder, FRAME_LAYER_NAME, lineFields(), layers.frame);
    }
    if (opened && wanted.adjacent) {
        opened = openLayer(cs, folder, ADJACENT_LAYER_NAME, labelFields(), layers.adjacent);
    }
    if (opened && wanted.digits) {
        opened = openLayer(cs, folder, DIGITS_LAYER_NAME, labelFields(), layers.digits);
    }
    return opened;
}

// Closes every open layer, on success and on failure alike, so that whatever was written
// before a failure stays readable; the first layer whose files cannot reach the disk
// names the failure.
Outcome closeLayers(FrameLayers& layers) {
    Outcome closed;
    const std::pair<Layer*, const char*> named[] = {{&layers.frame, FRAME_LAYER_NAME},
                                                    {&layers.adjacent, ADJACENT_LAYER_NAME},
                                                    {&layers.digits, DIGITS_LAYER_NAME}};
    for (const auto& [layer, name] : named) {
        if (!layer->shape && !layer->table) continue;
        const Outcome outcome = closeLayer(*layer).within(name);
        if (closed) closed = outcome;
    }
    return closed;
}

}  // namespace

Outcome writeFrameLayers(const SheetParameters& p, const AdjacentNames& adjacent,
                         const DrawingRect& rect, double lonStep, double latStep,
                         std::vector<double>& workX, std::vector<double>& workY,
                         const std::vector<double>& parallels,
                         const std::vector<double>& meridians) {
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
    const std::filesystem::path folder(trimTrailing(p.outputFolder));
    FrameLayers layers;
    Outcome outcome = openLayers(p.cs, folder, frameLayersOf(settings), layers);
    VertexBuffer work{workX, workY};
    if (outcome && settings.minuteFrameOn &&
        writeMinuteFrame(layers.frame, settings, sheet, work) != DrawStatus::Drawn) {
        outcome = Outcome::failure(std::string(FRAME_LAYER_NAME) + ": a feature cannot be written");
    }
    if (outcome && (settings.outerFrameOn || settings.outerLineMode != OUTER_LINE_NONE) &&
        writeOuterFrame(layers, settings, sheet, adjacent, parallels, meridians, work) !=
            DrawStatus::Drawn) {
        outcome = Outcome::failure("a feature of the outer frame cannot be written");
    }
    const Outcome closed = closeLayers(layers);
    return outcome ? closed : outcome;
}

}  // namespace sheetbasis
