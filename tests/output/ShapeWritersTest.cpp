#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "output/ShapeWriters.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

struct ShapeObjectDestroyer {
    void operator()(SHPObject* object) const { SHPDestroyObject(object); }
};
using ShapeObject = std::unique_ptr<SHPObject, ShapeObjectDestroyer>;

const std::vector<FieldDef> POINT_FIELDS = {
    {"L_code", FIELD_INTEGER, 6, 0}, {"Lat", FIELD_TEXT, 20, 0}, {"Lon", FIELD_TEXT, 20, 0}};

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

    Layer open(int shapeType, const std::vector<FieldDef>& fields = {},
               const std::string& name = "Layer") {
        Layer layer;
        EXPECT_EQ(createLayer(1, shapeType, base(name), fields, layer), LayerStatus::Created);
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
    Layer layer = open(SHAPE_POINT, POINT_FIELDS);
    EXPECT_EQ(writePointFeature(layer, "400013\\52\\30\\", 30.0, 52.0), ShapeStatus::Written);
    EXPECT_EQ(writePointFeature(layer, "400013\\52\\30,125\\", 30.125, 52.0), ShapeStatus::Written);
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
        EXPECT_EQ(shape->nSHPType, SHAPE_POINT);
        EXPECT_EQ(verticesOf(*shape), (std::vector<Vertex>{{30.0 + 0.125 * index, 52.0}}));
    }
}

TEST_F(ShapeWritersTest, SimpleLineAndPolygonKeepVerticesAsReceivedInOnePart) {
    const std::vector<double> x = {30.0, 31.0, 31.0, 30.0};
    const std::vector<double> y = {52.0, 52.0, 53.0, 52.0};
    const std::vector<Vertex> expected = {{30, 52}, {31, 52}, {31, 53}, {30, 52}};
    for (const int type : {SHAPE_ARC, SHAPE_POLYGON}) {
        SCOPED_TRACE(type);
        Layer layer = open(type);
        const auto status = type == SHAPE_ARC ? writeLineFeature(layer, "", x, y)
                                              : writePolygonFeature(layer, "", x, y);
        EXPECT_EQ(status, ShapeStatus::Written);
        ASSERT_TRUE(closeLayer(layer));
        const ShapeObject shape = onlyShape();
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->nSHPType, type);
        EXPECT_EQ(partStartsOf(*shape), std::vector<int>{0});
        EXPECT_EQ(verticesOf(*shape), expected);
    }
}

TEST_F(ShapeWritersTest, PolygonWithHoleIsClosedAndTheHoleReversed) {
    // Both rings arrive clockwise; the hole must come out counter-clockwise.
    const std::vector<PathRecord> lines = {
        path({{0, 0}, {0, 10}, {10, 10}, {10, 0}}),
        path({{2, 2}, {2, 4}, {4, 2}}),
    };
    Layer layer = open(SHAPE_POLYGON);
    EXPECT_EQ(writeMultiPolygonFeature(layer, "", lines, 1, {2}), ShapeStatus::Written);
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
    Layer layer = open(SHAPE_ARC);
    EXPECT_EQ(writeMultiLineFeature(layer, "", lines, {false, true}), ShapeStatus::Written);
    ASSERT_TRUE(closeLayer(layer));

    const ShapeObject shape = onlyShape();
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->nSHPType, SHAPE_ARC);
    EXPECT_EQ(partStartsOf(*shape), (std::vector<int>{0, 3}));
    EXPECT_EQ(
        verticesOf(*shape),
        (std::vector<Vertex>{{0, 0}, {1, 0}, {2, 0}, {5, 5}, {6, 5}, {6, 6}, {5, 6}, {5, 5}}));
}

TEST_F(ShapeWritersTest, RejectedAttributesLeaveNoShapeButAdvanceTheCounters) {
    Layer layer = open(SHAPE_POINT, POINT_FIELDS);
    EXPECT_EQ(writePointFeature(layer, "no separators at all", 30.0, 52.0), ShapeStatus::Malformed);
    EXPECT_EQ(layer.recordCounter, 1);
    EXPECT_EQ(layer.idCounter, 1);
    // 7 digits do not fit the 6 wide code column.
    EXPECT_EQ(writePointFeature(layer, "4000100\\52\\30\\", 30.0, 52.0), ShapeStatus::ValueRefused);
    EXPECT_EQ(layer.recordCounter, 2);
    EXPECT_EQ(layer.idCounter, 2);
    ASSERT_TRUE(closeLayer(layer));
    EXPECT_EQ(shapeCount(), 0);
}

TEST_F(ShapeWritersTest, ShapesThatCannotBeAppendedAreReportedNotFatal) {
    Layer layer = open(SHAPE_ARC);
    // shapelib would stop the program on a shape of another type than the file's.
    EXPECT_EQ(writePointFeature(layer, "", 1.0, 2.0), ShapeStatus::NotWritten);

    const std::vector<double> x = {1.0, 2.0};
    const std::vector<double> y = {1.0};
    EXPECT_EQ(writeLineFeature(layer, "", x, y), ShapeStatus::NotWritten);

    Layer polygons = open(SHAPE_POLYGON, {}, "Polygons");
    const std::vector<PathRecord> lines = {path({{0, 0}, {0, 1}, {1, 0}})};
    const int recordsBefore = polygons.recordCounter;
    EXPECT_EQ(writeMultiPolygonFeature(polygons, "", lines, 0, {}), ShapeStatus::NotWritten);
    EXPECT_EQ(writeMultiPolygonFeature(polygons, "", lines, 1, {2}), ShapeStatus::NotWritten);
    EXPECT_EQ(polygons.recordCounter, recordsBefore);

    // A closed layer has no handles left to write through.
    ASSERT_TRUE(closeLayer(polygons));
    EXPECT_EQ(writeMultiPolygonFeature(polygons, "", lines, 1, {}), ShapeStatus::ValueRefused);
}

}  // namespace
}  // namespace sheetbasis
