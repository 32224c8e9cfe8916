#include "output/ShapeWriters.h"

#include <algorithm>
#include <memory>

namespace sheetbasis {

namespace {

// Shape index that asks shapelib for a new shape, and for appending it to the file.
constexpr int NEW_SHAPE_INDEX = -1;

struct ShapeObjectDestroyer {
    void operator()(SHPObject* object) const { SHPDestroyObject(object); }
};
using ShapeObject = std::unique_ptr<SHPObject, ShapeObjectDestroyer>;

// One shape as it is handed to shapelib: its parts and its vertices.
struct ShapeGeometry {
    explicit ShapeGeometry(int shapeType) : type(shapeType) {}

    int type;
    std::vector<int> partStarts;
    std::vector<int> partTypes;
    std::vector<double> x;
    std::vector<double> y;

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

int shapeTypeOf(SHPInfo* shapefile) {
    int entities = 0;
    int type = 0;
    double minBound[4] = {};  // x, y, z, m as shapelib reports them
    double maxBound[4] = {};
    SHPGetInfo(shapefile, &entities, &type, minBound, maxBound);
    return type;
}

// shapelib stops the program on an assertion when a shape of another type is appended, so
// the type is compared first.
ShapeStatus appendShape(SHPInfo* shapefile, const ShapeGeometry& geometry) {
    if (shapefile == nullptr || shapeTypeOf(shapefile) != geometry.type) {
        return ShapeStatus::NotWritten;
    }
    const ShapeObject object{SHPCreateObject(
        geometry.type, NEW_SHAPE_INDEX, static_cast<int>(geometry.partStarts.size()),
        geometry.partStarts.data(), geometry.partTypes.data(), static_cast<int>(geometry.x.size()),
        geometry.x.data(), geometry.y.data(), nullptr, nullptr)};
    if (!object) return ShapeStatus::NotWritten;
    if (SHPWriteObject(shapefile, NEW_SHAPE_INDEX, object.get()) < 0)
        return ShapeStatus::NotWritten;
    return ShapeStatus::Written;
}

// The head shared by every writer: advance the counters, store the attribute record, then
// append the shape. A record that cannot be stored leaves the shape unwritten.
ShapeStatus writeFeature(Layer& layer, std::string& attributes, const ShapeGeometry& geometry) {
    ++layer.idCounter;
    ++layer.recordCounter;
    switch (writeAttributeRecord(layer.table.get(), layer.recordCounter, layer.idCounter,
                                 attributes, layer.fields)) {
        case RecordStatus::ValueRefused:
            return ShapeStatus::ValueRefused;
        case RecordStatus::Malformed:
            return ShapeStatus::Malformed;
        default:
            return appendShape(layer.shape.get(), geometry);
    }
}

// A shape of one part holding the vertices in the order received. The part type "ring" is
// what the polygon needs; the arc file ignores it.
ShapeStatus writeSinglePart(Layer& layer, std::string& attributes, int shapeType,
                            std::span<const double> x, std::span<const double> y) {
    if (x.size() != y.size()) return ShapeStatus::NotWritten;
    ShapeGeometry geometry{shapeType};
    geometry.startPart(SHPP_RING);
    geometry.x.assign(x.begin(), x.end());
    geometry.y.assign(y.begin(), y.end());
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

ShapeStatus writePointFeature(Layer& layer, std::string attributes, double x, double y) {
    ShapeGeometry geometry{SHAPE_POINT};
    geometry.add(Point{x, y});
    return writeFeature(layer, attributes, geometry);
}

ShapeStatus writeLineFeature(Layer& layer, std::string attributes, std::span<const double> x,
                             std::span<const double> y) {
    return writeSinglePart(layer, attributes, SHAPE_ARC, x, y);
}

ShapeStatus writePolygonFeature(Layer& layer, std::string attributes, std::span<const double> x,
                                std::span<const double> y) {
    return writeSinglePart(layer, attributes, SHAPE_POLYGON, x, y);
}

ShapeStatus writeMultiLineFeature(Layer& layer, std::string attributes,
                                  const std::vector<PathRecord>& lines,
                                  const std::vector<bool>& closed) {
    ShapeGeometry geometry{SHAPE_ARC};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // A line without a flag is an open one.
        const bool isClosed = i < closed.size() && closed[i];
        geometry.addPart(SHPP_RING, lines[i].points, isClosed);
    }
    return writeFeature(layer, attributes, geometry);
}

ShapeStatus writeMultiPolygonFeature(Layer& layer, std::string attributes,
                                     const std::vector<PathRecord>& lines, int outerIndex,
                                     const std::vector<int>& holes) {
    const auto isIndex = [&lines](int index) { return isLineIndex(lines, index); };
    if (!isIndex(outerIndex) || !std::all_of(holes.begin(), holes.end(), isIndex)) {
        return ShapeStatus::NotWritten;
    }
    ShapeGeometry geometry{SHAPE_POLYGON};
    geometry.addPart(SHPP_RING, lines[outerIndex - 1].points, true);
    for (const int hole : holes) addReversedRing(geometry, lines[hole - 1].points);
    return writeFeature(layer, attributes, geometry);
}

}  // namespace sheetbasis
