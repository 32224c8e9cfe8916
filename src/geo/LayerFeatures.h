#pragma once
// The features of the six layers of a sheet as values: their geometry in degrees
// (x = longitude, y = latitude) and their attributes, one member per column of the layer's
// table after "Id". The layer families compute them; SheetLayers writes them. Texts are in
// Windows-1251 and hold exactly what the table stores.

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "geo/Line.h"
#include "geo/Geometry.h"

namespace sheetbasis {

// HypsA: the sheet outline with the sheet name and the texts of its four corners.
struct HypsAreaAttributes {
    std::int32_t code = 0;
    std::string name;
    std::string leftUp;
    std::string rightUp;
    std::string leftDown;
    std::string rightDown;
};
struct HypsArea {
    Line ring;
    HypsAreaAttributes attributes;
};

// HypsP: a node of the grid with the texts of its latitude and longitude.
struct HypsNodeAttributes {
    std::int32_t code = 0;
    std::string latitude;
    std::string longitude;
};
struct HypsNode {
    Point position;
    HypsNodeAttributes attributes;
};

// HypsL: the outline, a graticule line or the polar circle, with its name and the
// degrees, minutes and hemisphere of its coordinate (columns Text, Grad, Min, Indication).
struct HypsLineAttributes {
    std::int32_t code = 0;
    std::string text;
    std::string degrees;
    std::string minutes;
    std::string hemisphere;
};
struct HypsLine {
    Line line;
    HypsLineAttributes attributes;
};

// The HYPS layers in the order of their features.
struct HypsFeatures {
    HypsArea area;
    std::vector<HypsNode> nodes;
    std::vector<HypsLine> lines;
};

// Frame: a line of the frame with its code.
struct FrameLine {
    Line line;
    std::int32_t code = 0;
};

// FrameAdj and FrameDig: the centre line of a label (a GIS centres the text on it, across
// and along), its text, the name of its font and its size in points.
struct LabelAttributes {
    std::int32_t code = 0;
    std::string text;
    std::string font;
    double size = 0.0;
};
struct Label {
    Line centreLine;
    LabelAttributes attributes;
};

// The FRAME layers; a layer that the map scale does not call for is absent, one that it
// calls for may still be empty.
struct FrameFeatures {
    std::optional<std::vector<FrameLine>> lines;         // Frame
    std::optional<std::vector<Label>> adjacentNames;     // FrameAdj
    std::optional<std::vector<Label>> coordinateLabels;  // FrameDig
};

// Moves the features of more to the end of features, in their order.
template <typename Feature>
void appendFeatures(std::vector<Feature>& features, std::vector<Feature>&& more) {
    features.insert(features.end(), std::make_move_iterator(more.begin()),
                    std::make_move_iterator(more.end()));
}

}  // namespace sheetbasis
