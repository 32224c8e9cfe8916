#include <gtest/gtest.h>
#include <shapefil.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "output/LayerFile.h"
#include "output/SheetLayers.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

struct ObjectDestroyer {
    void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};

// A layer read back with shapelib's readers: its shape type and each record's vertices and
// values as texts, in order. The columns' names and widths are the byte test's to check.
struct ReadLayer {
    int shapeType = 0;
    std::vector<std::vector<std::string>> records;
    std::vector<Line> shapes;
};

ReadLayer readLayer(const fs::path& base) {
    ReadLayer read;
    const ShapeHandle shp{SHPOpen(base.string().c_str(), "rb")};
    const TableHandle dbf{DBFOpen(base.string().c_str(), "rb")};
    if (!shp || !dbf) {
        ADD_FAILURE() << "cannot open " << base;
        return read;
    }
    int count = 0;
    SHPGetInfo(shp.get(), &count, &read.shapeType, nullptr, nullptr);
    for (int i = 0; i < count; ++i) {
        std::vector<std::string>& values = read.records.emplace_back();
        for (int f = 0; f < DBFGetFieldCount(dbf.get()); ++f) {
            values.emplace_back(DBFReadStringAttribute(dbf.get(), i, f));
        }
        Line& shape = read.shapes.emplace_back();
        const std::unique_ptr<SHPObject, ObjectDestroyer> object{SHPReadObject(shp.get(), i)};
        for (int v = 0; v < object->nVertices; ++v) {
            shape.push_back({object->padfX[v], object->padfY[v]});
        }
    }
    return read;
}

std::vector<double> xs(const Line& line) {
    std::vector<double> values;
    for (const Point& p : line) values.push_back(p.x);
    return values;
}

HypsFeatures smallHyps() {
    HypsFeatures hyps;
    hyps.area = {{{30, 53}, {31, 53}, {31, 52}, {30, 52}, {30, 53}},
                 {-1, "N-37", "nw", "ne", "sw", "se"}};
    hyps.nodes = {{{30, 52}, {-1, "52\xB0", "30\xB0"}}, {{31, 52}, {-1, "52\xB0", "31\xB0"}}};
    hyps.lines = {{{{30, 52.5}, {31, 52.5}}, {400011, "Parallel", "52\xB0", "30'", "N"}}};
    return hyps;
}

FrameFeatures smallFrame() {
    FrameFeatures frame;
    frame.lines = {{{{30, 53}, {31, 53}}, 400901}, {{{30, 52}, {31, 52}}, 400902}};
    frame.coordinateLabels = {{{{29, 52.5}, {29.5, 52.5}}, {400912, "52\xB0", "FreeSet", 6.5}},
                              {{{31, 52.5}, {31.5, 52.5}}, {400912, "30'", "FreeSet", 8.0}}};
    return frame;
}

class SheetLayersTest : public ::testing::Test {
  protected:
    std::string folder() const { return dir.path().string(); }
    ReadLayer read(const char* name) const { return readLayer(dir.path() / name); }
    bool exists(const char* name) const {
        return fs::exists(dir.path() / (std::string(name) + ".shp"));
    }

    TempFolder dir;
};

TEST_F(SheetLayersTest, HypsLayersStoreTheFeaturesInOrder) {
    const Outcome written = writeHypsLayers(folder(), CoordinateSystem::Sk42, smallHyps());
    ASSERT_TRUE(written) << written.reason();

    const ReadLayer area = read("HypsA");
    EXPECT_EQ(area.shapeType, SHPT_POLYGON);
    ASSERT_EQ(area.records.size(), 1u);
    EXPECT_EQ(area.records[0],
              (std::vector<std::string>{"1", "-1", "N-37", "nw", "ne", "sw", "se"}));
    EXPECT_EQ(xs(area.shapes[0]), (std::vector<double>{30, 31, 31, 30, 30}));

    const ReadLayer nodes = read("HypsP");
    EXPECT_EQ(nodes.shapeType, SHPT_POINT);
    ASSERT_EQ(nodes.records.size(), 2u);
    EXPECT_EQ(nodes.records[1], (std::vector<std::string>{"2", "-1", "52\xB0", "31\xB0"}));
    EXPECT_EQ(xs(nodes.shapes[1]), (std::vector<double>{31}));

    const ReadLayer lines = read("HypsL");
    EXPECT_EQ(lines.shapeType, SHPT_ARC);
    ASSERT_EQ(lines.records.size(), 1u);
    EXPECT_EQ(lines.records[0],
              (std::vector<std::string>{"1", "400011", "Parallel", "52\xB0", "30'", "N"}));
    EXPECT_EQ(fs::file_size(dir.path() / "HypsL.PRJ"),
              projectionText(CoordinateSystem::Sk42).size() + 2);
}

TEST_F(SheetLayersTest, FrameLayersAreWrittenOnlyWhenPresentWithTheSizeAsADecimalText) {
    const Outcome written = writeFrameLayers(folder(), CoordinateSystem::Sk42, smallFrame());
    ASSERT_TRUE(written) << written.reason();
    EXPECT_FALSE(exists("FrameAdj"));

    const ReadLayer lines = read("Frame");
    ASSERT_EQ(lines.records.size(), 2u);
    EXPECT_EQ(lines.records[1], (std::vector<std::string>{"2", "400902"}));

    const ReadLayer labels = read("FrameDig");
    EXPECT_EQ(labels.shapeType, SHPT_ARC);
    ASSERT_EQ(labels.records.size(), 2u);
    EXPECT_EQ(labels.records[0],
              (std::vector<std::string>{"1", "400912", "52\xB0", "FreeSet", "6.5"}));
    EXPECT_EQ(labels.records[1][4], "8");
    EXPECT_EQ(xs(labels.shapes[1]), (std::vector<double>{31, 31.5}));

    // A layer present but empty is still written.
    FrameFeatures empty;
    empty.adjacentNames.emplace();
    ASSERT_TRUE(writeFrameLayers(folder(), CoordinateSystem::Sk42, empty));
    EXPECT_TRUE(read("FrameAdj").records.empty());
}

TEST_F(SheetLayersTest, MissingFolderFailsNamingTheFirstLayerAndLeavesNothing) {
    const std::string missing = (dir.path() / "absent").string();
    const Outcome hyps = writeHypsLayers(missing, CoordinateSystem::Sk42, smallHyps());
    EXPECT_TRUE(hyps.reason().starts_with("HypsA: " + missing + "/HypsA")) << hyps.reason();
    const Outcome frame = writeFrameLayers(missing, CoordinateSystem::Sk42, smallFrame());
    EXPECT_TRUE(frame.reason().starts_with("Frame: ")) << frame.reason();
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// A folder in the way of one of a layer's files makes that layer impossible to write; the
// layers written before it stay complete, and a failed FRAME layer does not stop the others.
TEST_F(SheetLayersTest, ALayerThatFailsLeavesTheOthersComplete) {
    const struct {
        const char* blocked;  // the file a folder stands in the way of
        const char* failed;   // the layer named by the failure
        std::vector<std::pair<const char*, std::size_t>> complete;  // layers and record counts
    } cases[] = {
        {"HypsL.dbf", "HypsL", {{"HypsA", 1}, {"HypsP", 2}}},
        {"Frame.shx", "Frame", {{"FrameDig", 2}}},
    };
    for (const auto& c : cases) {
        const TempFolder folder;
        fs::create_directory(folder.path() / c.blocked);
        const std::string failed = c.failed;
        const Outcome written =
            failed.starts_with("Hyps")
                ? writeHypsLayers(folder.path().string(), CoordinateSystem::Sk42, smallHyps())
                : writeFrameLayers(folder.path().string(), CoordinateSystem::Sk42, smallFrame());
        EXPECT_TRUE(written.reason().starts_with(failed + ": ")) << written.reason();
        EXPECT_NE(written.reason().find(c.blocked), std::string::npos) << written.reason();
        EXPECT_FALSE(fs::exists(folder.path() / (failed + ".shp")));
        for (const auto& [layer, records] : c.complete) {
            EXPECT_EQ(readLayer(folder.path() / layer).records.size(), records) << layer;
        }
    }
}

TEST_F(SheetLayersTest, FeatureTheTableRefusesNamesLayerAndColumnAndKeepsThoseBefore) {
    HypsFeatures hyps = smallHyps();
    hyps.nodes[1].attributes.code = 1234567;  // wider than the 6-digit code column
    const Outcome written = writeHypsLayers(folder(), CoordinateSystem::Sk42, hyps);
    EXPECT_EQ(written.reason(), "HypsP: record 2: the column L_code refuses its value");
    EXPECT_EQ(read("HypsP").shapes.size(), 1u);
    EXPECT_FALSE(exists("HypsL"));
}

}  // namespace
}  // namespace sheetbasis
