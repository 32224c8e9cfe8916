#include "output/ShapeWriters.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "output/PerThread.h"

namespace sheetbasis {

namespace {

// Shape index that asks shapelib for a new shape, and for appending it to the file.
constexpr int NEW_SHAPE_INDEX = -1;

// One shape as it is handed to shapelib: its parts and its vertices. shapelib wants the
// coordinates in separate arrays; these are one thread's, emptied for each shape but kept
// grown, so that writing a shape allocates nothing once the longest shape has been seen.
struct ShapeGeometry {
    ShapeType type = ShapeType::Point;
    std::vector<int> partStarts;
    std::vector<int> partTypes;
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> zeros;  // z and m of every vertex: the layers are plane

    void startPart(int partType) {
        partStarts.push_back(static_cast<int>(x.size()));
        partTypes.push_back(partType);
    }
    void add(const Point& p) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    // A part of the given vertices, closed by repeating its first vertex when asked.
    void addPart(int partType, const std::vector<Point>& points, bool close) {
        startPart(partType);
        for (const Point& p : points) add(p);
        if (close && !points.empty()) add(points.front());
    }
};

// The thread's geometry, emptied for a shape of the given type. Each writer fills it and
// writes it before anything else asks for it.
ShapeGeometry& emptyGeometry(ShapeType shapeType) {
    static PerThread<ShapeGeometry> perThread;
    ShapeGeometry& geometry = perThread.get();
    geometry.type = shapeType;
    geometry.partStarts.clear();
    geometry.partTypes.clear();
    geometry.x.clear();
    geometry.y.clear();
    return geometry;
}

// The bounds SHPComputeExtents sets, compared as it compares them (a bound is kept only
// while it is less, or greater, than the vertex, so a NaN replaces it and is replaced
// again), from x and y alone: z and m are zero, and the object's zero bounds of them
// stand. Going through all four arrays cost a sixth of writing a shape.
void setPlaneBounds(SHPObject& object) {
    if (object.nVertices == 0) return;
    object.dfXMin = object.dfXMax = object.padfX[0];
    object.dfYMin = object.dfYMax = object.padfY[0];
    for (int i = 1; i < object.nVertices; ++i) {
        const double x = object.padfX[i];
        const double y = object.padfY[i];
        object.dfXMin = object.dfXMin < x ? object.dfXMin : x;
        object.dfXMax = object.dfXMax > x ? object.dfXMax : x;
        object.dfYMin = object.dfYMin < y ? object.dfYMin : y;
        object.dfYMax = object.dfYMax > y ? object.dfYMax : y;
    }
}

// The shape as SHPCreateObject would build it (a line or polygon has at least one part,
// starting at the first vertex; z and m are zero), but pointing at the geometry's arrays
// instead of copies of them.
SHPObject shapeObjectOf(ShapeGeometry& geometry) {
    const int type = static_cast<int>(geometry.type);
    if (geometry.type != ShapeType::Point && geometry.partStarts.empty()) {
        geometry.startPart(SHPP_RING);
    }
    if (!geometry.partStarts.empty()) geometry.partStarts.front() = 0;
    geometry.zeros.resize(std::max(geometry.zeros.size(), geometry.x.size()));
    SHPObject object{};
    object.nSHPType = type;
    object.nShapeId = NEW_SHAPE_INDEX;
    object.nParts = static_cast<int>(geometry.partStarts.size());
    object.panPartStart = geometry.partStarts.data();
    object.panPartType = geometry.partTypes.data();
    object.nVertices = static_cast<int>(geometry.x.size());
    object.padfX = geometry.x.data();
    object.padfY = geometry.y.data();
    object.padfZ = geometry.zeros.data();
    object.padfM = geometry.zeros.data();
    setPlaneBounds(object);
    return object;
}

// shapelib stops the program on an assertion when a shape of another type is appended, so
// the type is compared first.
Outcome appendShape(SHPInfo* shapefile, ShapeGeometry& geometry) {
    if (shapefile == nullptr) return Outcome::failure("the layer has no open shapefile");
    const int type = static_cast<int>(geometry.type);
    // Read from the handle: SHPGetInfo would also copy the file's bounds, once a shape.
    if (shapefile->nShapeType != type) {
        return Outcome::failure("the shapefile takes no shape of type " + std::to_string(type));
    }
    SHPObject object = shapeObjectOf(geometry);
    errno = 0;
    if (SHPWriteObject(shapefile, NEW_SHAPE_INDEX, &object) < 0) {
        return libraryCallFailure(errno, "the shapefile refuses the shape");
    }
    return {};
}

// The head shared by every writer: advance the counters, store the attribute record, then
// append the shape. A record that cannot be stored leaves the shape unwritten.
Outcome writeFeature(Layer& layer, std::span<const AttributeValue> attributes,
                     ShapeGeometry& geometry) {
    ++layer.idCounter;
    ++layer.recordCounter;
    if (Outcome stored = writeAttributeRecord(layer.table.get(), layer.recordCounter,
                                              layer.idCounter, attributes, layer.fields);
        !stored) {
        return stored;
    }
    Outcome appended = appendShape(layer.shape.get(), geometry);
    if (appended) return appended;
    return appended.within("feature " + std::to_string(layer.recordCounter));
}

// A shape of one part holding the vertices in the order received. The part type "ring" is
// what the polygon needs; the arc file ignores it.
Outcome writeSinglePart(Layer& layer, std::span<const AttributeValue> attributes,
                        ShapeType shapeType, std::span<const Point> vertices) {
    ShapeGeometry& geometry = emptyGeometry(shapeType);
    geometry.startPart(SHPP_RING);
    for (const Point& p : vertices) geometry.add(p);
    return writeFeature(layer, attributes, geometry);
}

bool isLineIndex(const std::vector<PathRecord>& lines, int oneBasedIndex) {
    return oneBasedIndex >= 1 && static_cast<std::size_t>(oneBasedIndex) <= lines.size();
}

// The hole closed and turned against the order given: first vertex, the others from the
// last back to the second, the first again.
void addReversedRing(ShapeGeometry& geometry, const std::vector<Point>& ring) {
    geometry.startPart(SHPP_INNERRING);
    if (ring.empty()) return;
    geometry.add(ring.front());
    for (auto p = ring.rbegin(); p + 1 != ring.rend(); ++p) geometry.add(*p);
    geometry.add(ring.front());
}

}  // namespace

Outcome writePointFeature(Layer& layer, std::span<const AttributeValue> attributes,
                          const Point& point) {
    ShapeGeometry& geometry = emptyGeometry(ShapeType::Point);
    geometry.add(point);
    return writeFeature(layer, attributes, geometry);
}

Outcome writeLineFeature(Layer& layer, std::span<const AttributeValue> attributes,
                         std::span<const Point> line) {
    return writeSinglePart(layer, attributes, ShapeType::Arc, line);
}

Outcome writePolygonFeature(Layer& layer, std::span<const AttributeValue> attributes,
                            std::span<const Point> ring) {
    return writeSinglePart(layer, attributes, ShapeType::Polygon, ring);
}

Outcome writeMultiLineFeature(Layer& layer, std::span<const AttributeValue> attributes,
                              const std::vector<PathRecord>& lines,
                              const std::vector<bool>& closed) {
    ShapeGeometry& geometry = emptyGeometry(ShapeType::Arc);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // A line without a flag is an open one.
        const bool isClosed = i < closed.size() && closed[i];
        geometry.addPart(SHPP_RING, lines[i].points, isClosed);
    }
    return writeFeature(layer, attributes, geometry);
}

Outcome writeMultiPolygonFeature(Layer& layer, std::span<const AttributeValue> attributes,
                                 const std::vector<PathRecord>& lines, int outerIndex,
                                 const std::vector<int>& holes) {
    const auto isIndex = [&lines](int index) { return isLineIndex(lines, index); };
    if (!isIndex(outerIndex) || !std::all_of(holes.begin(), holes.end(), isIndex)) {
        return Outcome::failure("a ring index names no line");
    }
    ShapeGeometry& geometry = emptyGeometry(ShapeType::Polygon);
    geometry.addPart(SHPP_RING, lines[outerIndex - 1].points, true);
    for (const int hole : holes) addReversedRing(geometry, lines[hole - 1].points);
    return writeFeature(layer, attributes, geometry);
}

}  // namespace sheetbasis
