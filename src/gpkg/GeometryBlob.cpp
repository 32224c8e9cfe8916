#include "gpkg/GeometryBlob.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace sheetbasis {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the blobs are assembled from the machine's little-endian numbers");

constexpr char MAGIC[] = {'G', 'P'};
constexpr std::uint8_t VERSION_1 = 0;
// Flags byte: bit 0 little-endian, bits 1-3 envelope kind (1: minx, maxx, miny, maxy),
// bit 4 empty geometry, bit 5 extended type.
constexpr std::uint8_t FLAG_LITTLE_ENDIAN = 0x01;
constexpr std::uint8_t ENVELOPE_XY = 1;
constexpr int ENVELOPE_SHIFT = 1;
constexpr std::uint8_t ENVELOPE_MASK = 0x0E;
constexpr std::uint8_t FLAG_EMPTY = 0x10;
constexpr std::size_t HEADER_BYTES = 8;
constexpr std::size_t ENVELOPE_XY_BYTES = 32;

// WKB: byte order 1 is little-endian; geometry type codes of ISO 13249-3.
constexpr std::uint8_t WKB_LITTLE_ENDIAN = 1;
constexpr std::uint32_t WKB_POINT = 1;
constexpr std::uint32_t WKB_LINESTRING = 2;
constexpr std::uint32_t WKB_POLYGON = 3;

template <typename Number>
void append(std::string& blob, Number value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    blob.append(bytes, sizeof value);
}

Envelope envelopeOf(std::span<const Point> points) {
    Envelope e{points.front().x, points.front().x, points.front().y, points.front().y};
    for (const Point& p : points) {
        e.minX = std::min(e.minX, p.x);
        e.maxX = std::max(e.maxX, p.x);
        e.minY = std::min(e.minY, p.y);
        e.maxY = std::max(e.maxY, p.y);
    }
    return e;
}

// The header with the envelope of points, or an empty geometry's header without one.
void startBlob(std::string& blob, std::int32_t srsId, std::span<const Point> points) {
    blob.clear();
    blob.append(MAGIC, sizeof MAGIC);
    append(blob, VERSION_1);
    if (points.empty()) {
        append(blob, static_cast<std::uint8_t>(FLAG_LITTLE_ENDIAN | FLAG_EMPTY));
        append(blob, srsId);
        return;
    }
    append(blob, static_cast<std::uint8_t>(FLAG_LITTLE_ENDIAN | ENVELOPE_XY << ENVELOPE_SHIFT));
    append(blob, srsId);
    const Envelope e = envelopeOf(points);
    for (double bound : {e.minX, e.maxX, e.minY, e.maxY}) append(blob, bound);
}

void startWkb(std::string& blob, std::uint32_t type) {
    append(blob, WKB_LITTLE_ENDIAN);
    append(blob, type);
}

void appendPoints(std::string& blob, std::span<const Point> points) {
    append(blob, static_cast<std::uint32_t>(points.size()));
    for (const Point& p : points) {
        append(blob, p.x);
        append(blob, p.y);
    }
}

double readDouble(std::string_view bytes, std::size_t at) {
    double value = 0.0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

}  // namespace

void encodePoint(std::string& blob, std::int32_t srsId, const Point& point) {
    startBlob(blob, srsId, std::span(&point, 1));
    startWkb(blob, WKB_POINT);
    append(blob, point.x);
    append(blob, point.y);
}

void encodeLineString(std::string& blob, std::int32_t srsId, std::span<const Point> line) {
    startBlob(blob, srsId, line);
    startWkb(blob, WKB_LINESTRING);
    appendPoints(blob, line);
}

void encodePolygon(std::string& blob, std::int32_t srsId, std::span<const Point> ring) {
    startBlob(blob, srsId, ring);
    startWkb(blob, WKB_POLYGON);
    if (ring.empty()) {
        append(blob, std::uint32_t{0});
        return;
    }
    const bool open = ring.front().x != ring.back().x || ring.front().y != ring.back().y;
    append(blob, std::uint32_t{1});
    append(blob, static_cast<std::uint32_t>(ring.size() + (open ? 1 : 0)));
    for (const Point& p : ring) {
        append(blob, p.x);
        append(blob, p.y);
    }
    if (open) {
        append(blob, ring.front().x);
        append(blob, ring.front().y);
    }
}

std::optional<Envelope> headerEnvelope(std::string_view blob) {
    if (blob.size() < HEADER_BYTES + ENVELOPE_XY_BYTES || blob[0] != MAGIC[0] ||
        blob[1] != MAGIC[1]) {
        return std::nullopt;
    }
    const auto flags = static_cast<std::uint8_t>(blob[3]);
    if ((flags & FLAG_EMPTY) != 0 || (flags & FLAG_LITTLE_ENDIAN) == 0 ||
        (flags & ENVELOPE_MASK) >> ENVELOPE_SHIFT != ENVELOPE_XY) {
        return std::nullopt;
    }
    return Envelope{readDouble(blob, HEADER_BYTES), readDouble(blob, HEADER_BYTES + 8),
                    readDouble(blob, HEADER_BYTES + 16), readDouble(blob, HEADER_BYTES + 24)};
}

}  // namespace sheetbasis
