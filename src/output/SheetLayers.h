#pragma once
// The six layers of a sheet written as shapefiles: each layer's table schema, and its
// features in the order the layer family gave them.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "geo/LayerFeatures.h"
#include "output/LayerFile.h"
#include "output/Outcome.h"
#include "sheet/CoordinateSystem.h"

namespace sheetbasis {

// The two sub-folders of a result folder that the layers of a sheet are written into.
struct LayerFolders {
    std::string hyps;   // HypsA, HypsP, HypsL
    std::string frame;  // Frame, FrameAdj, FrameDig
};

// A layer's name, its shape type and its user columns (after "Id"). Column widths in
// characters are those of the layer catalogue; the table cuts longer texts to them.
struct LayerSchema {
    const char* name;
    ShapeType shapeType;
    std::vector<FieldDef> fields;
};
LayerSchema hypsAreaSchema();
LayerSchema hypsNodeSchema();
LayerSchema hypsLineSchema();
LayerSchema frameLineSchema();
// The index of a set's sheets: one outline per sheet with its name (Nom), the series and
// the map scale as denominators, and its result folder.
LayerSchema sheetIndexSchema();
// FrameAdj and FrameDig share their columns.
LayerSchema labelSchema(const char* name);

// The size in points as a plain decimal number ("6.5", "8"), independent of any locale.
std::string sizeText(double size);

// The values of a feature's user columns in the order of its layer's schema; the texts
// refer to the attributes (and to sizeText), which must outlive them.
std::array<AttributeValue, 6> columnValues(const HypsAreaAttributes& a);
std::array<AttributeValue, 3> columnValues(const HypsNodeAttributes& a);
std::array<AttributeValue, 5> columnValues(const HypsLineAttributes& a);
std::array<AttributeValue, 1> columnValues(const FrameLine& line);
std::array<AttributeValue, 4> columnValues(const LabelAttributes& a, std::string_view sizeText);

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
