#pragma once
// Writers of one feature each: the attribute record through writeAttributeRecord, then one
// shape appended to the layer's shapefile.

#include <span>
#include <vector>

#include "geo/Geometry.h"
#include "output/LayerFile.h"

namespace sheetbasis {

// Each writer increments the layer's record and identifier counters before it writes, and
// stores one attribute value per user field. A failure names the record and why; a record
// that cannot be stored leaves the shape unwritten.
Outcome writePointFeature(Layer& layer, std::span<const AttributeValue> attributes,
                          const Point& point);
// One part holding the vertices in the order given; the polygon writer neither closes nor
// turns the ring.
Outcome writeLineFeature(Layer& layer, std::span<const AttributeValue> attributes,
                         std::span<const Point> line);
Outcome writePolygonFeature(Layer& layer, std::span<const AttributeValue> attributes,
                            std::span<const Point> ring);
// One arc shape of lines.size() parts; a part whose closed flag is set gets its first
// vertex appended once more.
Outcome writeMultiLineFeature(Layer& layer, std::span<const AttributeValue> attributes,
                              const std::vector<PathRecord>& lines,
                              const std::vector<bool>& closed);
// One polygon: lines[outerIndex - 1] as the outer ring and the 1-based holes as inner
// rings, each closed and the holes reversed.
Outcome writeMultiPolygonFeature(Layer& layer, std::span<const AttributeValue> attributes,
                                 const std::vector<PathRecord>& lines, int outerIndex,
                                 const std::vector<int>& holes);

}  // namespace sheetbasis
