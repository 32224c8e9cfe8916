#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "output/ShapeWriters.h"
#include "support/FolderFiles.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

struct ShapeObjectDestroyer {
    void operator()(SHPObject* object) const { SHPDestroyObject(object); }
};
using ShapeObject = std::unique_ptr<SHPObject, ShapeObjectDestroyer>;

const std::vector<FieldDef> POINT_FIELDS = {{"L_code", FieldType::Integer, 6, 0},
                                            {"Lat", FieldType::Text, 20, 0},
                                            {"Lon", FieldType::Text, 20, 0}};

// Vertices as (x, y) pairs, which compare and print as values.
using Vertex = std::pair<double, double>;

std::vector<Vertex> verticesOf(const SHPObject& shape) {
    std::vector<Vertex> points;
    for (int i = 0; i < shape.nVertices; ++i) points.push_back({shape.padfX[i], shape.padfY[i]});
    return points;
}

std::vector<int> partStartsOf(const SHPObject& shape) {
    return std::vector<int>(shape.panPartStart, shape.panPartStart + shape.nParts);
}

// Twice the signed area of a ring (shoelace), positive when it turns counter-clockwise.
double signedArea(const std::vector<Vertex>& ring) {
    double sum = 0.0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        sum += ring[i].first * ring[i + 1].second - ring[i + 1].first * ring[i].second;
    }
    return sum;
}

PathRecord path(std::vector<Point> points) {
    return PathRecord{{}, std::move(points)};
}

class ShapeWritersTest : public ::testing::Test {
  protected:
    std::string base(const std::string& name = "Layer") const {
        return (dir.path() / name).string();
    }

    Layer open(ShapeType shapeType, const std::vector<FieldDef>& fields = {},
               const std::string& name = "Layer") {
        Layer layer;
        EXPECT_TRUE(createLayer(CoordinateSystem::Sk42, shapeType, base(name), fields, layer));
        return layer;
    }

    ShapeHandle rereadShapes() const { return ShapeHandle{SHPOpen(base().c_str(), "rb")}; }
    TableHandle rereadTable() const {
        return TableHandle{DBFOpen((base() + ".dbf").c_str(), "rb")};
    }
    int shapeCount() const {
        const ShapeHandle shapes = rereadShapes();
        int entities = -1;
        int type = 0;
        SHPGetInfo(shapes.get(), &entities, &type, nullptr, nullptr);
        return entities;
    }
    // The only shape of the closed layer, read back.
    ShapeObject onlyShape() const {
        EXPECT_EQ(shapeCount(), 1);
        return ShapeObject{SHPReadObject(rereadShapes().get(), 0)};
    }

    TempFolder dir;
};

TEST_F(ShapeWritersTest, SuccessivePointsGetRecordsIdsAndShapesInOrder) {
    Layer layer = open(ShapeType::Point, POINT_FIELDS);
    const std::vector<AttributeValue> first{400013, "52", "30"};
    const std::vector<AttributeValue> second{400013, "52", "30,125"};
    EXPECT_TRUE(writePointFeature(layer, first, {30.0, 52.0}));
    EXPECT_TRUE(writePointFeature(layer, second, {30.125, 52.0}));
    EXPECT_EQ(layer.recordCounter, 2);
    EXPECT_EQ(layer.idCounter, 2);
    ASSERT_TRUE(closeLayer(layer));

    const TableHandle table = rereadTable();
    ASSERT_EQ(DBFGetRecordCount(table.get()), 2);
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 0, 0), 1);
    EXPECT_EQ(DBFReadIntegerAttribute(table.get(), 1, 0), 2);
    EXPECT_STREQ(DBFReadStringAttribute(table.get(), 1, 3), "30,125");

    ASSERT_EQ(shapeCount(), 2);
    const ShapeHandle shapes = rereadShapes();
    for (int index = 0; index < 2; ++index) {
        const ShapeObject shape{SHPReadObject(shapes.get(), index)};
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->nShapeId, index);
        EXPECT_EQ(shape->nSHPType, SHPT_POINT);
        EXPECT_EQ(verticesOf(*shape), (std::vector<Vertex>{{30.0 + 0.125 * index, 52.0}}));
    }
}

TEST_F(ShapeWritersTest, SimpleLineAndPolygonKeepVerticesAsReceivedInOnePart) {
    const std::vector<Point> ring = {{30.0, 52.0}, {31.0, 52.0}, {31.0, 53.0}, {30.0, 52.0}};
    const std::vector<Vertex> expected = {{30, 52}, {31, 52}, {31, 53}, {30, 52}};
    for (const ShapeType type : {ShapeType::Arc, ShapeType::Polygon}) {
        SCOPED_TRACE(static_cast<int>(type));
        Layer layer = open(type);
        const Outcome written = type == ShapeType::Arc ? writeLineFeature(layer, {}, ring)
                                                       : writePolygonFeature(layer, {}, ring);
        EXPECT_TRUE(written) << written.reason();
        ASSERT_TRUE(closeLayer(layer));
        const ShapeObject shape = onlyShape();
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->nSHPType, static_cast<int>(type));
        EXPECT_EQ(partStartsOf(*shape), std::vector<int>{0});
        EXPECT_EQ(verticesOf(*shape), expected);
    }
}

// The writers set a shape's bounds themselves instead of through SHPComputeExtents; the
// files must still be those that the library's own objects give, NaN and infinite
// vertices included, in the record's box and the file's.
TEST_F(ShapeWritersTest, ShapesAreWrittenAsTheLibrarysOwnObjects) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::vector<Point>> lines = {
        {{30, 52}, {31, 53}},
        {{31, 53}, {30, 52}, {30.5, 54}, {29, 51.5}},
        {{5, 1}},
        {{nan, 1}, {2, nan}, {3, 4}},
        {{3, 4}, {nan, nan}, {-1, 9}},
        {{-inf, 0}, {inf, 1}, {0, -inf}},
    };
    Layer layer = open(ShapeType::Arc);
    ShapeHandle library{SHPCreate(base("Library").c_str(), SHPT_ARC)};
    ASSERT_NE(library, nullptr);
    for (const std::vector<Point>& line : lines) {
        EXPECT_TRUE(writeLineFeature(layer, {}, line));
        std::vector<double> x;
        std::vector<double> y;
        for (const Point& p : line) {
            x.push_back(p.x);
            y.push_back(p.y);
        }
        const ShapeObject object{SHPCreateSimpleObject(SHPT_ARC, static_cast<int>(line.size()),
                                                       x.data(), y.data(), nullptr)};
        EXPECT_GE(SHPWriteObject(library.get(), -1, object.get()), 0);
    }
    ASSERT_TRUE(closeLayer(layer));
    library.reset();
    for (const char* extension : {".shp", ".shx"}) {
        EXPECT_EQ(fileBytes(base() + extension), fileBytes(base("Library") + extension))
            << extension;
    }
}

TEST_F(ShapeWritersTest, PolygonWithHoleIsClosedAndTheHoleReversed) {
    // Both rings arrive clockwise; the hole must come out counter-clockwise.
    const std::vector<PathRecord> lines = {
        path({{0, 0}, {0, 10}, {10, 10}, {10, 0}}),
        path({{2, 2}, {2, 4}, {4, 2}}),
    };
    Layer layer = open(ShapeType::Polygon);
    EXPECT_TRUE(writeMultiPolygonFeature(layer, {}, lines, 1, {2}));
    ASSERT_TRUE(closeLayer(layer));

    const ShapeObject shape = onlyShape();
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(partStartsOf(*shape), (std::vector<int>{0, 5}));
    const std::vector<Vertex> vertices = verticesOf(*shape);
    const std::vector<Vertex> outer(vertices.begin(), vertices.begin() + 5);
    const std::vector<Vertex> hole(vertices.begin() + 5, vertices.end());
    EXPECT_EQ(outer, (std::vector<Vertex>{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}));
    EXPECT_EQ(hole, (std::vector<Vertex>{{2, 2}, {4, 2}, {2, 4}, {2, 2}}));
    EXPECT_LT(signedArea(outer), 0.0);
    EXPECT_GT(signedArea(hole), 0.0);
}

TEST_F(ShapeWritersTest, PolylineClosesOnlyTheFlaggedParts) {
    const std::vector<PathRecord> lines = {
        path({{0, 0}, {1, 0}, {2, 0}}),
        path({{5, 5}, {6, 5}, {6, 6}, {5, 6}}),
    };
    Layer layer = open(ShapeType::Arc);
    EXPECT_TRUE(writeMultiLineFeature(layer, {}, lines, {false, true}));
    ASSERT_TRUE(closeLayer(layer));

    const ShapeObject shape = onlyShape();
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->nSHPType, SHPT_ARC);
    EXPECT_EQ(partStartsOf(*shape), (std::vector<int>{0, 3}));
    EXPECT_EQ(
        verticesOf(*shape),
        (std::vector<Vertex>{{0, 0}, {1, 0}, {2, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 6}, {5, 5}}));
}

TEST_F(ShapeWritersTest, RejectedAttributesLeaveNoShapeButAdvanceTheCounters) {
    Layer layer = open(ShapeType::Point, POINT_FIELDS);
    // 7 digits do not fit the 6 wide code column.
    const std::vector<AttributeValue> tooWide{4000100, "52", "30"};
    EXPECT_EQ(writePointFeature(layer, tooWide, {30.0, 52.0}).reason(),
              "record 1: the column L_code refuses its value");
    EXPECT_EQ(layer.recordCounter, 1);
    EXPECT_EQ(layer.idCounter, 1);
    const std::vector<AttributeValue> tooFew{400010};
    EXPECT_EQ(writePointFeature(layer, tooFew, {30.0, 52.0}).reason(),
              "record 2: 1 values for 3 columns");
    EXPECT_EQ(layer.recordCounter, 2);
    EXPECT_EQ(layer.idCounter, 2);
    ASSERT_TRUE(closeLayer(layer));
    EXPECT_EQ(shapeCount(), 0);
}

TEST_F(ShapeWritersTest, ShapesThatCannotBeAppendedAreReportedNotFatal) {
    Layer layer = open(ShapeType::Arc);
    // shapelib would stop the program on a shape of another type than the file's.
    EXPECT_EQ(writePointFeature(layer, {}, {1.0, 2.0}).reason(),
              "feature 1: the shapefile takes no shape of type 1");

    Layer polygons = open(ShapeType::Polygon, {}, "Polygons");
    const std::vector<PathRecord> lines = {path({{0, 0}, {0, 1}, {1, 0}})};
    const int recordsBefore = polygons.recordCounter;
    EXPECT_FALSE(writeMultiPolygonFeature(polygons, {}, lines, 0, {}));
    EXPECT_FALSE(writeMultiPolygonFeature(polygons, {}, lines, 1, {2}));
    EXPECT_EQ(polygons.recordCounter, recordsBefore);

    // A closed layer has no handles left to write through.
    ASSERT_TRUE(closeLayer(polygons));
    EXPECT_EQ(writeMultiPolygonFeature(polygons, {}, lines, 1, {}).reason(),
              "record 1 names no record");
}

}  // namespace
}  // namespace sheetbasis
