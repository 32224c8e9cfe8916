#pragma once
// Layers: a shapefile (.shp, .shx), its attribute table (.dbf) and its projection file
// (.PRJ) under one base name, written with shapelib.

#include <shapefil.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "output/BufferedFiles.h"
#include "sheet/CoordinateSystem.h"

namespace sheetbasis {

// Column types, valued as the table library's field types.
enum class FieldType { Text = FTString, Integer = FTInteger, Double = FTDouble };

// Shape types, valued as the shapefile codes.
enum class ShapeType { Point = SHPT_POINT, Arc = SHPT_ARC, Polygon = SHPT_POLYGON };

struct FieldDef {
    std::string name;  // trailing blanks are not part of the name
    FieldType type = FieldType::Text;
    int width = 0;
    int decimals = 0;
};

// The value of one user column: an integer, a floating-point number or a Windows-1251
// text, of the column's own type.
using AttributeValue = std::variant<std::int32_t, double, std::string_view>;

struct ShapeHandleCloser {
    void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct TableHandleCloser {
    void operator()(DBFInfo* h) const { DBFClose(h); }
};
using ShapeHandle = std::unique_ptr<SHPInfo, ShapeHandleCloser>;
using TableHandle = std::unique_ptr<DBFInfo, TableHandleCloser>;

// An open layer: its handles, the files they write in memory, its user fields and the
// record and identifier counters that the shape writers advance. Its files go to disk only
// through closeLayer, which reports whether they did; a layer destroyed open leaves
// nothing on disk. libraryMessages collects what the table library had to say while the
// layer was created (one message a line); a failure's reason carries it.
struct Layer {
    ShapeHandle shape;
    TableHandle table;
    std::shared_ptr<BufferedFiles> files;
    std::string libraryMessages;
    std::vector<FieldDef> fields;
    std::int32_t recordCounter = 0;
    std::int32_t idCounter = 0;
};

// Creates the layer named by layerName (a path without extension) with the column "Id"
// followed by the user fields, and its projection file for the coordinate system cs. A
// failure says which column the table refused or that the layer could not be created at
// all, with what the library said; no handle is then left open.
Outcome createLayer(CoordinateSystem cs, ShapeType shapeType, const std::string& layerName,
                    const std::vector<FieldDef>& fields, Layer& layer);
// Closes the table, then the shapefile, and puts their files on disk; a failure names the
// file and why it could not be written, and leaves none of the layer's new files.
Outcome closeLayer(Layer& layer);
// Stores record recordNumber (1-based): the identifier in "Id", then one value per user
// column, each of its column's type. Texts longer than their column are cut to its width.
// A failure names the record and the column it stopped at; nothing of the record is then
// stored.
Outcome writeAttributeRecord(DBFInfo* table, std::int32_t recordNumber, std::int32_t id,
                             std::span<const AttributeValue> values,
                             const std::vector<FieldDef>& fields);

// The failure of a library call that reported one, given the errno it left (cleared before
// the call): the library's own allocations fail without a word, so ENOMEM is the want of
// memory and names it; anything else is reason.
Outcome libraryCallFailure(int error, std::string_view reason);
// Readies the process for the table library's unchecked allocations; called once at start.
// Memory that the program frees stays with it, so that the room checked for before the
// library is handed a layer is still there when the library allocates; and where another
// thread took that room meanwhile, the library's write through a failed allocation fails
// that layer for want of memory instead of ending the process.
void prepareForLowMemory();

// The projection file line for the coordinate system (empty for an unknown one).
std::string projectionText(CoordinateSystem cs);

}  // namespace sheetbasis
