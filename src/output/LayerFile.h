#pragma once
// Layers: a shapefile (.shp, .shx), its attribute table (.dbf) and its projection file
// (.PRJ) under one base name, written with shapelib.

#include <shapefil.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/BufferedFiles.h"

namespace sheetbasis {

// Field type codes (those of the table library).
inline constexpr int FIELD_TEXT = 0;
inline constexpr int FIELD_INTEGER = 1;
inline constexpr int FIELD_DOUBLE = 2;

// Shapefile shape types.
inline constexpr int SHAPE_POINT = 1;
inline constexpr int SHAPE_ARC = 3;
inline constexpr int SHAPE_POLYGON = 5;

// Statuses of createLayer.
enum class LayerStatus {
    Created = 0,
    ColumnRefused = 123,
    // The table or the shapefile could not be created at all (for instance in a folder that
    // cannot be written); shapelib then hands back no handle.
    NotCreated = 124,
};

// Statuses of writeAttributeRecord.
enum class RecordStatus {
    Written = 0,
    ValueRefused = 1,
    Malformed = 2,
};

// Separator that closes every value of an attribute text.
inline constexpr char ATTRIBUTE_SEPARATOR = '\\';

struct FieldDef {
    std::string name;  // trailing blanks are not part of the name
    int type = FIELD_TEXT;
    int width = 0;
    int decimals = 0;
};

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
// nothing on disk. libraryMessages collects what the table library had to say (one
// message a line); a failure's reason carries it.
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
// followed by the user fields, and its projection file for the coordinate system cs.
// Returns LayerStatus::Created, LayerStatus::ColumnRefused (also for a type code the table library
// does not have) or LayerStatus::NotCreated (also when the projection file cannot be written).
// Unless the layer was created, no handle is left open.
LayerStatus createLayer(std::int32_t cs, int shapeType, const std::string& layerName,
                        const std::vector<FieldDef>& fields, Layer& layer);
// Closes the table, then the shapefile, and puts their files on disk; a failure names the
// file and why it could not be written, and leaves none of the layer's new files.
Outcome closeLayer(Layer& layer);
// Stores record recordNumber (1-based): the identifier in "Id", then the values of the
// attribute text ("v1\v2\...\") in the user columns. The text is consumed: it keeps what
// is left after the last value read. Returns RecordStatus::Written, RecordStatus::ValueRefused or
// RecordStatus::Malformed.
RecordStatus writeAttributeRecord(DBFInfo* table, std::int32_t recordNumber, std::int32_t id,
                                  std::string& attributeText, const std::vector<FieldDef>& fields);

// The projection file line for the coordinate system (empty for an unknown one).
std::string projectionText(std::int32_t cs);

}  // namespace sheetbasis
