#pragma once
// Writers of one feature each: the attribute record through writeAttributeRecord, then one shape
// appended to the layer's shapefile.

#include <span>
#include <string>
#include <vector>

#include "output/Geometry.h"
#include "output/LayerFile.h"

namespace sheetbasis {

// Statuses of every writer.
enum class ShapeStatus {
    Written = 0,
    ValueRefused = 122,  // writeAttributeRecord returned 1
    Malformed = 803,     // writeAttributeRecord returned 2
    // The shape could not be appended: the layer has no open shapefile, its shape type
    // differs from the writer's, the vertex arrays or ring indices do not fit, or shapelib
    // failed.
    NotWritten = 804,
};

// Each writer increments the layer's record and identifier counters before it writes; the
// attribute text is "v1\v2\...\" with one value per user field.
ShapeStatus writePointFeature(Layer& layer, std::string attributes, double x, double y);
ShapeStatus writeLineFeature(Layer& layer, std::string attributes, std::span<const double> x,
                             std::span<const double> y);
ShapeStatus writePolygonFeature(Layer& layer, std::string attributes, std::span<const double> x,
                                std::span<const double> y);
// One arc shape of lines.size() parts; a part whose closed flag is set gets its first
// vertex appended once more.
ShapeStatus writeMultiLineFeature(Layer& layer, std::string attributes,
                                  const std::vector<PathRecord>& lines,
                                  const std::vector<bool>& closed);
// One polygon: lines[outerIndex - 1] as the outer ring and the 1-based holes as inner
// rings, each closed and the holes reversed.
ShapeStatus writeMultiPolygonFeature(Layer& layer, std::string attributes,
                                     const std::vector<PathRecord>& lines, int outerIndex,
                                     const std::vector<int>& holes);

}  // namespace sheetbasis
