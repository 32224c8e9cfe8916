#pragma once
// Geometries as a GeoPackage stores them: the binary header (magic "GP", version, flags,
// spatial reference id, envelope) followed by the geometry in little-endian WKB.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "geo/Point.h"

namespace sheetbasis {

// The bounding box a header carries, in the layer's coordinates.
struct Envelope {
    double minX = 0.0;
    double maxX = 0.0;
    double minY = 0.0;
    double maxY = 0.0;
};

// Each encoder replaces the contents of blob (kept by the caller so that its memory is
// reused feature after feature) with the header, envelope [minx, maxx, miny, maxy] included,
// and the WKB of one geometry.
void encodePoint(std::string& blob, std::int32_t srsId, const Point& point);
void encodeLineString(std::string& blob, std::int32_t srsId, std::span<const Point> line);
// A polygon of one ring. The ring is closed when its last vertex differs from its first:
// a stored ring must end where it begins.
void encodePolygon(std::string& blob, std::int32_t srsId, std::span<const Point> ring);

// The envelope the header of blob carries; nothing for bytes that are no such header, an
// empty geometry or a header without envelope.
std::optional<Envelope> headerEnvelope(std::string_view blob);

}  // namespace sheetbasis
