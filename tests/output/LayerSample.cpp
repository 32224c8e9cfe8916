// Writes two small layers into the folder given as the only argument, for the GDAL reader
// of layer_oracle_test.py: a polygon with a hole and a Cyrillic name in Pulkovo 1942, and
// a point in GSK-2011. Exits with 0 only when every layer and feature was written.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "output/ShapeWriters.h"
#include "sheet/Cp1251.h"

namespace {

using namespace sheetbasis;

bool writeArea(const std::filesystem::path& folder) {
    const std::vector<FieldDef> fields = {{"L_code", FieldType::Integer, 6, 0},
                                          {"Name", FieldType::Text, 100, 0},
                                          {"Value", FieldType::Double, 12, 3}};
    Layer layer;
    if (!createLayer(CoordinateSystem::Sk42, ShapeType::Polygon, (folder / "Area").string(), fields,
                     layer)) {
        return false;
    }
    // Both rings clockwise, as the callers build them.
    const std::vector<PathRecord> lines = {
        PathRecord{{}, {{30, 52}, {30, 53}, {31, 53}, {31, 52}}},
        PathRecord{{}, {{30.25, 52.25}, {30.25, 52.5}, {30.5, 52.25}}},
    };
    const std::string name = cp1251("Лист N-37-XXXVI");
    const std::vector<AttributeValue> attributes{400010, name, 12.5};
    const Outcome written = writeMultiPolygonFeature(layer, attributes, lines, 1, {2});
    return closeLayer(layer) && written;
}

bool writePoint(const std::filesystem::path& folder) {
    const std::vector<FieldDef> fields = {{"Lat", FieldType::Text, 20, 0}};
    Layer layer;
    if (!createLayer(CoordinateSystem::Gsk2011, ShapeType::Point, (folder / "Point").string(),
                     fields, layer)) {
        return false;
    }
    const std::string latitude = cp1251("52°30'");
    const std::vector<AttributeValue> attributes{latitude};
    const Outcome written = writePointFeature(layer, attributes, {30.5, 52.5});
    return closeLayer(layer) && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return EXIT_FAILURE;
    const std::filesystem::path folder{argv[1]};
    return writeArea(folder) && writePoint(folder) ? EXIT_SUCCESS : EXIT_FAILURE;
}
