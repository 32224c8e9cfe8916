#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gpkg/GeometryBlob.h"
#include "gpkg/PackedRtree.h"

namespace sheetbasis {
namespace {

std::uint32_t wkbUint32(const std::string& blob, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, blob.data() + at, sizeof value);
    return value;
}

// Header (8 bytes) and envelope (32 bytes) precede the WKB.
constexpr std::size_t WKB_AT = 40;

struct ShapeCase {
    const char* name;
    std::vector<Point> points;
    Envelope envelope;
    std::uint32_t wkbType;
    std::uint32_t storedPoints;  // the closing vertex added to an open ring included
};

TEST(GeometryBlob, HeaderEnvelopeAndWkbOfEachShape) {
    const std::vector<ShapeCase> cases = {
        {"point", {{37.5, 55.75}}, {37.5, 37.5, 55.75, 55.75}, 1, 1},
        {"line across 180", {{179.5, 60.0}, {180.5, 60.25}}, {179.5, 180.5, 60.0, 60.25}, 2, 2},
        {"closed ring", {{0, 0}, {0, 1}, {1, 1}, {0, 0}}, {0, 1, 0, 1}, 3, 4},
        {"open ring", {{0, 0}, {0, -1}, {-2, -1}}, {-2, 0, -1, 0}, 3, 4},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string blob = "left over from the feature before";
        if (c.wkbType == 1) encodePoint(blob, 4284, c.points.front());
        if (c.wkbType == 2) encodeLineString(blob, 4284, c.points);
        if (c.wkbType == 3) encodePolygon(blob, 4284, c.points);
        ASSERT_GE(blob.size(), WKB_AT + 5);
        EXPECT_EQ(blob.substr(0, 3), std::string("GP\0", 3));
        EXPECT_EQ(static_cast<unsigned char>(blob[3]), 0x03);  // little-endian, xy envelope
        EXPECT_EQ(wkbUint32(blob, 4), 4284U);
        const auto envelope = headerEnvelope(blob);
        ASSERT_TRUE(envelope.has_value());
        EXPECT_EQ(envelope->minX, c.envelope.minX);
        EXPECT_EQ(envelope->maxX, c.envelope.maxX);
        EXPECT_EQ(envelope->minY, c.envelope.minY);
        EXPECT_EQ(envelope->maxY, c.envelope.maxY);
        EXPECT_EQ(blob[WKB_AT], 1);
        EXPECT_EQ(wkbUint32(blob, WKB_AT + 1), c.wkbType);
        const std::size_t pointsAt =
            WKB_AT + 5 + (c.wkbType == 1 ? 0 : 4) + (c.wkbType == 3 ? 4 : 0);
        EXPECT_EQ(blob.size(), pointsAt + c.storedPoints * 16);
        if (c.wkbType == 3) {
            // The last stored vertex is the first one.
            EXPECT_EQ(blob.substr(blob.size() - 16), blob.substr(pointsAt, 16));
        }
    }
}

TEST(GeometryBlob, NoEnvelopeForEmptyOrForeignBytes) {
    std::string empty;
    encodeLineString(empty, 4284, {});
    const std::vector<std::string> cases = {empty, "", "GP", std::string(48, 'x')};
    for (const std::string& bytes : cases) EXPECT_FALSE(headerEnvelope(bytes).has_value());
}

// The index stores 32-bit floats; a stored box must hold the feature's box.
TEST(FloatBounds, RoundOutwardOnlyWhenInexact) {
    const double inexact = 55.123456789;
    const double cases[] = {0.0, 37.5, -180.0, inexact, -inexact, 1e-40, 179.99999999};
    for (double value : cases) {
        SCOPED_TRACE(value);
        const float lower = lowerFloatBound(value);
        const float upper = upperFloatBound(value);
        EXPECT_LE(static_cast<double>(lower), value);
        EXPECT_GE(static_cast<double>(upper), value);
        if (static_cast<double>(static_cast<float>(value)) == value) {
            EXPECT_EQ(lower, upper);
        } else {
            EXPECT_EQ(std::nextafter(lower, std::numeric_limits<float>::infinity()), upper);
        }
    }
}

}  // namespace
}  // namespace sheetbasis
