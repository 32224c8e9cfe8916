#include <gtest/gtest.h>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "geo/DatumShift.h"
#include "hyps/Hyps.h"
#include "hyps/HypsAttributes.h"
#include "output/LayerFile.h"
#include "sheet/Cp1251.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

constexpr double LON_STEP = 0.125;
constexpr double LAT_STEP = 1.0 / 12.0;
constexpr double NORTH = 52.0 + 2.0 / 3.0;
constexpr double EXACT = 1e-12;  // values that are grid arithmetic, not conversions

struct Feature {
    std::vector<Point> vertices;
    int code = 0;
    std::map<std::string, std::string> text;  // text columns by name, as stored
};

struct LayerContents {
    int shapeType = 0;
    std::vector<std::string> fieldNames;
    std::vector<Feature> features;
};

struct ObjectDestroyer {
    void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};

// Reads a layer back with shapelib, independently of the writers.
LayerContents readLayer(const fs::path& base) {
    LayerContents contents;
    ShapeHandle shp{SHPOpen(base.string().c_str(), "rb")};
    TableHandle dbf{DBFOpen((base.string() + ".dbf").c_str(), "rb")};
    if (!shp || !dbf) {
        ADD_FAILURE() << "cannot open " << base;
        return contents;
    }
    int count = 0;
    SHPGetInfo(shp.get(), &count, &contents.shapeType, nullptr, nullptr);
    EXPECT_EQ(DBFGetRecordCount(dbf.get()), count);
    for (int f = 0; f < DBFGetFieldCount(dbf.get()); ++f) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        DBFGetFieldInfo(dbf.get(), f, name, nullptr, nullptr);
        contents.fieldNames.emplace_back(name);
    }
    for (int i = 0; i < count; ++i) {
        Feature feature;
        std::unique_ptr<SHPObject, ObjectDestroyer> object{SHPReadObject(shp.get(), i)};
        for (int v = 0; v < object->nVertices; ++v) {
            feature.vertices.push_back({object->padfX[v], object->padfY[v]});
        }
        for (int f = 0; f < DBFGetFieldCount(dbf.get()); ++f) {
            const std::string& name = contents.fieldNames[static_cast<std::size_t>(f)];
            if (name == "L_code") {
                feature.code = DBFReadIntegerAttribute(dbf.get(), i, f);
            } else if (name != "Id") {
                feature.text[name] = DBFReadStringAttribute(dbf.get(), i, f);
            }
        }
        contents.features.push_back(std::move(feature));
    }
    return contents;
}

struct Result {
    Outcome outcome;
    std::vector<double> workX, workY, parallels, meridians;
};

class HypsTest : public ::testing::Test {
  protected:
    // Sheet N-37-XXXVI-like: 30..31 by 52..52 2/3 at 1:200 000, graticule 10' by 15'.
    HypsTest() {
        p.cs = CS_SK42;
        p.setScale = SERIES_200K;
        p.path = (dir.path() / "HYPS").string() + "/";
        fs::create_directory(dir.path() / "HYPS");
        setTrapezoid(30.0, 31.0, 52.0, NORTH);
        p.parallelStep = 1.0 / 6.0;
        p.meridianStep = 0.25;
    }

    void setTrapezoid(double west, double east, double south, double north) {
        p.xFrom = p.baseXFrom = west;
        p.xTo = p.baseXTo = east;
        p.yFrom = p.baseYFrom = south;
        p.yTo = p.baseYTo = north;
    }

    // Corners and drawing rectangle as the generation driver makes them.
    Result run() {
        corners = {{p.xFrom, p.yTo}, {p.xTo, p.yTo}, {p.xFrom, p.yFrom}, {p.xTo, p.yFrom}};
        rect = {p.xFrom, p.xTo, p.yFrom, p.yTo};
        if (p.cs == CS_GSK2011_FROM_SK42) {
            for (Point* c : {&corners.nw, &corners.ne, &corners.sw, &corners.se}) {
                *c = sk42ToGsk2011(*c);
            }
            rect = {std::max(corners.nw.x, corners.sw.x), std::min(corners.ne.x, corners.se.x),
                    std::max(corners.sw.y, corners.se.y), std::min(corners.nw.y, corners.ne.y)};
        }
        Result r;
        r.parallels = {99.0};  // stale values of an earlier sheet are dropped
        r.outcome = writeHypsLayers(p, "N-37-XXXVI  ", rect, corners, LON_STEP, LAT_STEP, r.workX,
                                    r.workY, r.parallels, r.meridians);
        return r;
    }

    LayerContents layer(const char* name) const { return readLayer(dir.path() / "HYPS" / name); }

    // Pointers into l, which must outlive them.
    static std::vector<const Feature*> withCode(const LayerContents& l, int code) {
        std::vector<const Feature*> found;
        for (const Feature& f : l.features) {
            if (f.code == code) found.push_back(&f);
        }
        return found;
    }

    TempFolder dir;
    SheetParameters p;
    SheetCorners corners;
    DrawingRect rect;
};

TEST_F(HypsTest, AreaLayerHoldsTheOutlineNameAndCornerTexts) {
    const Result r = run();
    ASSERT_TRUE(r.outcome) << r.outcome.reason();
    const LayerContents area = layer("HypsA");
    EXPECT_EQ(area.shapeType, SHPT_POLYGON);
    EXPECT_EQ(area.fieldNames, (std::vector<std::string>{"Id", "L_code", "Name", "LeftUp", "RghtUp",
                                                         "LeftDn", "RghtDn"}));
    ASSERT_EQ(area.features.size(), 1u);
    const Feature& a = area.features[0];
    EXPECT_EQ(a.code, -1);
    EXPECT_EQ(a.text.at("Name"), "N-37-XXXVI");
    EXPECT_EQ(a.text.at("LeftUp"), cp1251("30°00' в.д. 52°40' с.ш."));
    EXPECT_EQ(a.text.at("RghtUp"), cp1251("31°00' в.д. 52°40' с.ш."));
    EXPECT_EQ(a.text.at("LeftDn"), cp1251("30°00' в.д. 52°00' с.ш."));
    EXPECT_EQ(a.text.at("RghtDn"), cp1251("31°00' в.д. 52°00' с.ш."));
    ASSERT_EQ(a.vertices.size(), 33u);
    EXPECT_EQ(a.vertices.front().x, 30.0);
    EXPECT_EQ(a.vertices.front().y, NORTH);
    EXPECT_EQ(a.vertices.back().x, 30.0);
    EXPECT_EQ(a.vertices.back().y, NORTH);
    // The outline is handed back to the driver unchanged.
    EXPECT_EQ(r.workX.size(), 33u);
    EXPECT_EQ(r.workY[16], 52.0);
}

TEST_F(HypsTest, NodeLayerCoversTheGridRowByRowFromSouthWest) {
    ASSERT_TRUE(run().outcome) << run().outcome.reason();
    const LayerContents nodes = layer("HypsP");
    EXPECT_EQ(nodes.shapeType, SHPT_POINT);
    EXPECT_EQ(nodes.fieldNames, (std::vector<std::string>{"Id", "L_code", "Lat", "Lon"}));
    ASSERT_EQ(nodes.features.size(), 81u);
    const Feature& first = nodes.features[0];
    EXPECT_EQ(first.code, -1);
    EXPECT_EQ(first.text.at("Lat"), cp1251("52°00'00\""));
    EXPECT_EQ(first.text.at("Lon"), cp1251("30°00'00\""));
    EXPECT_EQ(nodes.features[1].text.at("Lon"), cp1251("30°07'30\""));
    EXPECT_EQ(nodes.features[9].text.at("Lat"), cp1251("52°05'00\""));
    EXPECT_EQ(nodes.features[9].text.at("Lon"), cp1251("30°00'00\""));
    const Feature& last = nodes.features[80];
    EXPECT_EQ(last.text.at("Lat"), cp1251("52°40'00\""));
    EXPECT_EQ(last.text.at("Lon"), cp1251("31°00'00\""));
    EXPECT_NEAR(last.vertices.at(0).x, 31.0, EXACT);
    EXPECT_NEAR(last.vertices.at(0).y, NORTH, EXACT);
}

TEST_F(HypsTest, SmallerScalesTakeEverySecondNode) {
    p.setScale = SERIES_1M;
    ASSERT_TRUE(run().outcome) << run().outcome.reason();
    EXPECT_EQ(layer("HypsP").features.size(), 25u);
}

TEST_F(HypsTest, LineLayerHoldsOutlineAndTheGraticuleStrictlyInside) {
    const Result r = run();
    ASSERT_TRUE(r.outcome) << r.outcome.reason();
    const LayerContents lines = layer("HypsL");
    EXPECT_EQ(lines.shapeType, SHPT_ARC);
    EXPECT_EQ(lines.fieldNames,
              (std::vector<std::string>{"Id", "L_code", "Text", "Grad", "Min", "Indication"}));
    ASSERT_EQ(lines.features.size(), 7u);

    const Feature& outline = lines.features[0];
    EXPECT_EQ(outline.code, 400010);
    EXPECT_EQ(outline.text.at("Text"), cp1251("Рамка"));
    EXPECT_EQ(outline.text.at("Grad"), "");
    EXPECT_EQ(outline.vertices.size(), 33u);

    const auto parallels = withCode(lines, 400011);
    ASSERT_EQ(parallels.size(), 3u);
    EXPECT_EQ(parallels[0]->text.at("Text"), cp1251("Параллель"));
    EXPECT_EQ(parallels[0]->text.at("Grad"), cp1251("52°"));
    EXPECT_EQ(parallels[0]->text.at("Min"), "10'");
    EXPECT_EQ(parallels[0]->text.at("Indication"), cp1251("с.ш."));
    EXPECT_EQ(parallels[2]->text.at("Min"), "30'");
    for (const Feature* f : parallels) {
        ASSERT_EQ(f->vertices.size(), 9u);
        EXPECT_EQ(f->vertices.front().x, 30.0);
        EXPECT_EQ(f->vertices.back().x, 31.0);
    }

    const auto meridians = withCode(lines, 400012);
    ASSERT_EQ(meridians.size(), 3u);
    EXPECT_EQ(meridians[0]->text.at("Grad"), cp1251("30°"));
    EXPECT_EQ(meridians[0]->text.at("Min"), "15'");
    EXPECT_EQ(meridians[0]->text.at("Indication"), cp1251("в.д."));
    for (const Feature* f : meridians) {
        ASSERT_EQ(f->vertices.size(), 9u);
        EXPECT_EQ(f->vertices.front().y, 52.0);
        EXPECT_EQ(f->vertices.back().y, NORTH);
    }

    ASSERT_EQ(r.parallels.size(), 3u);
    EXPECT_NEAR(r.parallels[0], 52.0 + 1.0 / 6.0, EXACT);
    EXPECT_NEAR(r.parallels[1], 52.0 + 1.0 / 3.0, EXACT);
    EXPECT_NEAR(r.parallels[2], 52.5, EXACT);
    EXPECT_EQ(r.meridians, (std::vector<double>{30.25, 30.5, 30.75}));
}

TEST_F(HypsTest, PolarCircleOnlyWhenClearOfTheEdges) {
    setTrapezoid(30.0, 31.0, 66.0, 67.0);
    ASSERT_TRUE(run().outcome) << run().outcome.reason();
    const LayerContents lines = layer("HypsL");
    const auto circle = withCode(lines, 400013);
    ASSERT_EQ(circle.size(), 1u);
    EXPECT_EQ(circle[0]->text.at("Text"), cp1251("Северный полярный круг"));
    EXPECT_EQ(circle[0]->text.at("Grad"), cp1251("66°"));
    EXPECT_EQ(circle[0]->text.at("Min"), "33.64'");
    EXPECT_EQ(circle[0]->text.at("Indication"), cp1251("с.ш."));
    ASSERT_EQ(circle[0]->vertices.size(), 9u);
    for (const Point& v : circle[0]->vertices) EXPECT_EQ(v.y, POLAR_CIRCLE_LATITUDE);

    setTrapezoid(30.0, 31.0, 66.0, 66.561);
    const Result nearEdge = run();
    ASSERT_TRUE(nearEdge.outcome) << nearEdge.outcome.reason();
    EXPECT_TRUE(withCode(layer("HypsL"), 400013).empty());
    // Nor is it ever listed with the graticule parallels.
    for (double v : nearEdge.parallels) EXPECT_NE(v, POLAR_CIRCLE_LATITUDE);
}

TEST_F(HypsTest, CombinedSystemConvertsGeometryButLabelsTheGridValues) {
    p.cs = CS_GSK2011_FROM_SK42;
    const Result r = run();
    ASSERT_TRUE(r.outcome) << r.outcome.reason();

    const LayerContents nodes = layer("HypsP");
    ASSERT_EQ(nodes.features.size(), 81u);
    EXPECT_EQ(nodes.features[0].text.at("Lat"), cp1251("52°00'00\""));
    EXPECT_EQ(nodes.features[0].text.at("Lon"), cp1251("30°00'00\""));
    const Point expected = sk42ToGsk2011({30.0, 52.0});
    EXPECT_EQ(nodes.features[0].vertices.at(0).x, expected.x);
    EXPECT_EQ(nodes.features[0].vertices.at(0).y, expected.y);
    EXPECT_GT(std::abs(expected.x - 30.0), 1e-4);  // the shift is visible at all

    const LayerContents area = layer("HypsA");
    ASSERT_EQ(area.features.size(), 1u);
    // Converted corners no longer fall on whole minutes: seconds with two decimals.
    const std::string leftUp = area.features[0].text.at("LeftUp");
    EXPECT_EQ(leftUp, pointText(corners.nw.x, corners.nw.y, 2, STYLE_HEMISPHERE_WORD));
    EXPECT_NE(leftUp.find("\" " + cp1251("в.д.")), std::string::npos);
    EXPECT_EQ(area.features[0].vertices.at(0).x, corners.nw.x);
    EXPECT_EQ(area.features[0].vertices.at(0).y, corners.nw.y);
    EXPECT_EQ(r.workX.front(), corners.nw.x);

    // Parallels end on the converted west and east edges, not on the SK-42 meridians.
    const LayerContents lines = layer("HypsL");
    const auto parallels = withCode(lines, 400011);
    ASSERT_FALSE(parallels.empty());
    for (const Feature* f : parallels) {
        const double west = f->vertices.front().x;
        const double east = f->vertices.back().x;
        EXPECT_GE(west, std::min(corners.nw.x, corners.sw.x) - EXACT);
        EXPECT_LE(west, std::max(corners.nw.x, corners.sw.x) + EXACT);
        EXPECT_GE(east, std::min(corners.ne.x, corners.se.x) - EXACT);
        EXPECT_LE(east, std::max(corners.ne.x, corners.se.x) + EXACT);
    }
}

TEST_F(HypsTest, MissingFolderFailsWithoutLayers) {
    p.path = (dir.path() / "absent").string();
    const Result r = run();
    EXPECT_NE(r.outcome.reason().find("HypsA"), std::string::npos) << r.outcome.reason();
    EXPECT_FALSE(fs::exists(dir.path() / "absent" / "HypsA.shp"));
}

TEST_F(HypsTest, LaterLayerFailureKeepsTheEarlierLayersComplete) {
    // A folder in the way of the table makes HypsL impossible to create.
    fs::create_directory(dir.path() / "HYPS" / "HypsL.dbf");
    const Result r = run();
    EXPECT_NE(r.outcome.reason().find("HypsL.dbf"), std::string::npos) << r.outcome.reason();
    EXPECT_FALSE(fs::exists(dir.path() / "HYPS" / "HypsL.shp"));
    EXPECT_EQ(layer("HypsA").features.size(), 1u);
    EXPECT_EQ(layer("HypsP").features.size(), 81u);
}

}  // namespace
}  // namespace sheetbasis
