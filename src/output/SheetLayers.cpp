#include "output/SheetLayers.h"

#include <array>
#include <charconv>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "output/LayerFile.h"
#include "output/PerThread.h"
#include "output/ShapeWriters.h"

namespace sheetbasis {
namespace {

// Column widths in characters are those of the layer catalogue; the table cuts longer
// texts to them. "L_code" is 6 digits wide in the HYPS layers and 8 in the FRAME layers.
constexpr int HYPS_CODE_WIDTH = 6;
constexpr int FRAME_CODE_WIDTH = 8;
constexpr int LABEL_FIELD_WIDTH = 100;

// Room for any double in fixed notation without exponent (309 digits and a sign).
constexpr std::size_t SIZE_TEXT_CAPACITY = 400;

}  // namespace

LayerSchema hypsAreaSchema() {
    return {"HypsA",
            ShapeType::Polygon,
            {{"L_code", FieldType::Integer, HYPS_CODE_WIDTH, 0},
             {"Name", FieldType::Text, 100, 0},
             {"LeftUp", FieldType::Text, 50, 0},
             {"RghtUp", FieldType::Text, 50, 0},
             {"LeftDn", FieldType::Text, 50, 0},
             {"RghtDn", FieldType::Text, 50, 0}}};
}

LayerSchema hypsNodeSchema() {
    return {"HypsP",
            ShapeType::Point,
            {{"L_code", FieldType::Integer, HYPS_CODE_WIDTH, 0},
             {"Lat", FieldType::Text, 20, 0},
             {"Lon", FieldType::Text, 20, 0}}};
}

LayerSchema hypsLineSchema() {
    return {"HypsL",
            ShapeType::Arc,
            {{"L_code", FieldType::Integer, HYPS_CODE_WIDTH, 0},
             {"Text", FieldType::Text, 40, 0},
             {"Grad", FieldType::Text, 5, 0},
             {"Min", FieldType::Text, 7, 0},
             {"Indication", FieldType::Text, 5, 0}}};
}

LayerSchema frameLineSchema() {
    return {"Frame", ShapeType::Arc, {{"L_code", FieldType::Integer, FRAME_CODE_WIDTH, 0}}};
}

LayerSchema sheetIndexSchema() {
    // A joined sheet's name is at most 17 characters, a folder name the same; the
    // denominators reach 5 000 000.
    constexpr int NAME_WIDTH = 40;
    constexpr int FOLDER_WIDTH = 254;
    constexpr int DENOMINATOR_WIDTH = 8;
    return {"SheetIndex",
            ShapeType::Polygon,
            {{"Nom", FieldType::Text, NAME_WIDTH, 0},
             {"Series", FieldType::Integer, DENOMINATOR_WIDTH, 0},
             {"Scale", FieldType::Integer, DENOMINATOR_WIDTH, 0},
             {"Folder", FieldType::Text, FOLDER_WIDTH, 0}}};
}

LayerSchema labelSchema(const char* name) {
    return {name,
            ShapeType::Arc,
            {{"L_code", FieldType::Integer, FRAME_CODE_WIDTH, 0},
             {"Text", FieldType::Text, LABEL_FIELD_WIDTH, 0},
             {"Font", FieldType::Text, LABEL_FIELD_WIDTH, 0},
             {"Size", FieldType::Text, LABEL_FIELD_WIDTH, 0}}};
}

std::string sizeText(double size) {
    std::array<char, SIZE_TEXT_CAPACITY> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), size, std::chars_format::fixed);
    return {buffer.data(), result.ptr};
}

std::array<AttributeValue, 6> columnValues(const HypsAreaAttributes& a) {
    return {a.code, a.name, a.leftUp, a.rightUp, a.leftDown, a.rightDown};
}

std::array<AttributeValue, 3> columnValues(const HypsNodeAttributes& a) {
    return {a.code, a.latitude, a.longitude};
}

std::array<AttributeValue, 5> columnValues(const HypsLineAttributes& a) {
    return {a.code, a.text, a.degrees, a.minutes, a.hemisphere};
}

std::array<AttributeValue, 1> columnValues(const FrameLine& line) {
    return {line.code};
}

std::array<AttributeValue, 4> columnValues(const LabelAttributes& a, std::string_view sizeText) {
    return {a.code, a.text, a.font, sizeText};
}

namespace {

// folder / name as std::filesystem joins a relative name, without building paths: the
// layers of every sheet are named this way.
std::string pathInFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

Outcome writeArea(Layer& layer, const HypsArea& area) {
    return writePolygonFeature(layer, columnValues(area.attributes), area.ring);
}

Outcome writeNode(Layer& layer, const HypsNode& node) {
    return writePointFeature(layer, columnValues(node.attributes), node.position);
}

Outcome writeHypsLine(Layer& layer, const HypsLine& line) {
    return writeLineFeature(layer, columnValues(line.attributes), line.line);
}

Outcome writeFrameLine(Layer& layer, const FrameLine& line) {
    return writeLineFeature(layer, columnValues(line), line.line);
}

Outcome writeLabel(Layer& layer, const Label& label) {
    const LabelAttributes& a = label.attributes;
    // The labels of a layer share their size; its shortest text costs as much as the rest
    // of a label's record, so the last one is kept.
    struct LastSize {
        double size = std::numeric_limits<double>::quiet_NaN();
        std::string text;
    };
    static PerThread<LastSize> perThread;
    LastSize& last = perThread.get();
    if (!(a.size == last.size)) {
        last.text = sizeText(a.size);
        last.size = a.size;
    }
    return writeLineFeature(layer, columnValues(a, last.text), label.centreLine);
}

// Creates the layer in folder, has writeOne put each feature in and closes it. The layer
// is closed after a failed feature too, so that the features before it stay readable;
// its files reaching the disk is itself a step that can fail.
template <typename Features, typename WriteOne>
Outcome writeLayer(const std::string& folder, CoordinateSystem cs, const LayerSchema& schema,
                   const Features& features, WriteOne writeOne) {
    Layer layer;
    const std::string name = pathInFolder(folder, schema.name);
    if (Outcome created = createLayer(cs, schema.shapeType, name, schema.fields, layer); !created) {
        return created.within(schema.name);
    }
    Outcome written;
    for (const auto& feature : features) {
        written = writeOne(layer, feature);
        if (!written) break;
    }
    const Outcome closed = closeLayer(layer);
    return (written ? closed : written).within(schema.name);
}

}  // namespace

Outcome writeHypsLayers(const std::string& folder, CoordinateSystem cs,
                        const HypsFeatures& features) {
    if (Outcome area =
            writeLayer(folder, cs, hypsAreaSchema(), std::span(&features.area, 1), writeArea);
        !area) {
        return area;
    }
    if (Outcome nodes = writeLayer(folder, cs, hypsNodeSchema(), features.nodes, writeNode);
        !nodes) {
        return nodes;
    }
    return writeLayer(folder, cs, hypsLineSchema(), features.lines, writeHypsLine);
}

Outcome writeFrameLayers(const std::string& folder, CoordinateSystem cs,
                         const FrameFeatures& features) {
    Outcome first;
    const auto keepFirstFailure = [&first](Outcome outcome) {
        if (first) first = std::move(outcome);
    };
    if (features.lines) {
        keepFirstFailure(
            writeLayer(folder, cs, frameLineSchema(), *features.lines, writeFrameLine));
    }
    if (features.adjacentNames) {
        keepFirstFailure(
            writeLayer(folder, cs, labelSchema("FrameAdj"), *features.adjacentNames, writeLabel));
    }
    if (features.coordinateLabels) {
        keepFirstFailure(writeLayer(folder, cs, labelSchema("FrameDig"), *features.coordinateLabels,
                                    writeLabel));
    }
    return first;
}

}  // namespace sheetbasis
