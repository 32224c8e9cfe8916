#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geo/DatumShift.h"
#include "hyps/Hyps.h"
#include "hyps/HypsAttributes.h"
#include "sheet/CoordinateText.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

constexpr double NORTH = 52.0 + 2.0 / 3.0;
constexpr double EXACT = 1e-12;  // values that are grid arithmetic, not conversions
constexpr std::int32_t PARALLEL_CODE = 400011;
constexpr std::int32_t MERIDIAN_CODE = 400012;
constexpr std::int32_t POLAR_CIRCLE_CODE = 400013;

class HypsTest : public ::testing::Test {
  protected:
    // Sheet N-37-XXXVI-like: 30..31 by 52..52 2/3 at 1:200 000, graticule 10' by 15'.
    HypsTest() {
        p.cs = CoordinateSystem::Sk42;
        p.setScale = Series::Scale200k;
        setTrapezoid(30.0, 31.0, 52.0, NORTH);
        p.result.parallelStep = 1.0 / 6.0;
        p.result.meridianStep = 0.25;
    }

    void setTrapezoid(double west, double east, double south, double north) {
        p.result.edges.west = p.base.edges.west = west;
        p.result.edges.east = p.base.edges.east = east;
        p.result.edges.south = p.base.edges.south = south;
        p.result.edges.north = p.base.edges.north = north;
    }

    // Corners and drawing rectangle as the generation driver makes them.
    HypsSheet run() {
        corners = {{p.result.edges.west, p.result.edges.north},
                   {p.result.edges.east, p.result.edges.north},
                   {p.result.edges.west, p.result.edges.south},
                   {p.result.edges.east, p.result.edges.south}};
        rect = {p.result.edges.west, p.result.edges.east, p.result.edges.south,
                p.result.edges.north};
        if (p.cs == CoordinateSystem::Gsk2011FromSk42) {
            for (Point* c : {&corners.nw, &corners.ne, &corners.sw, &corners.se}) {
                *c = sk42ToGsk2011(*c);
            }
            rect = {std::max(corners.nw.x, corners.sw.x), std::min(corners.ne.x, corners.se.x),
                    std::max(corners.sw.y, corners.se.y), std::min(corners.nw.y, corners.ne.y)};
        }
        return hypsFeatures(p, "N-37-XXXVI  ", rect, corners, {0.125, 1.0 / 12.0});
    }

    static std::vector<const HypsLine*> withCode(const HypsSheet& sheet, std::int32_t code) {
        std::vector<const HypsLine*> found;
        for (const HypsLine& line : sheet.features.lines) {
            if (line.attributes.code == code) found.push_back(&line);
        }
        return found;
    }

    SheetParameters p;
    SheetCorners corners;
    DrawingRect rect;
};

TEST_F(HypsTest, AreaHoldsTheOutlineNameAndCornerTexts) {
    const HypsArea area = run().features.area;
    const HypsAreaAttributes& a = area.attributes;
    EXPECT_EQ(a.code, -1);
    EXPECT_EQ(a.name, "N-37-XXXVI");
    EXPECT_EQ(a.leftUp, cp1251("30°00' в.д. 52°40' с.ш."));
    EXPECT_EQ(a.rightUp, cp1251("31°00' в.д. 52°40' с.ш."));
    EXPECT_EQ(a.leftDown, cp1251("30°00' в.д. 52°00' с.ш."));
    EXPECT_EQ(a.rightDown, cp1251("31°00' в.д. 52°00' с.ш."));
    ASSERT_EQ(area.ring.size(), 33u);
    EXPECT_EQ(area.ring.front().x, 30.0);
    EXPECT_EQ(area.ring.front().y, NORTH);
    EXPECT_EQ(area.ring[16].y, 52.0);
    EXPECT_EQ(area.ring.back().x, 30.0);
    EXPECT_EQ(area.ring.back().y, NORTH);
}

TEST_F(HypsTest, NodesCoverTheGridRowByRowFromSouthWest) {
    const std::vector<HypsNode> nodes = run().features.nodes;
    ASSERT_EQ(nodes.size(), 81u);
    EXPECT_EQ(nodes[0].attributes.code, -1);
    EXPECT_EQ(nodes[0].attributes.latitude, cp1251("52°00'00\""));
    EXPECT_EQ(nodes[0].attributes.longitude, cp1251("30°00'00\""));
    EXPECT_EQ(nodes[1].attributes.longitude, cp1251("30°07'30\""));
    EXPECT_EQ(nodes[9].attributes.latitude, cp1251("52°05'00\""));
    EXPECT_EQ(nodes[9].attributes.longitude, cp1251("30°00'00\""));
    EXPECT_EQ(nodes[80].attributes.latitude, cp1251("52°40'00\""));
    EXPECT_EQ(nodes[80].attributes.longitude, cp1251("31°00'00\""));
    EXPECT_NEAR(nodes[80].position.x, 31.0, EXACT);
    EXPECT_NEAR(nodes[80].position.y, NORTH, EXACT);
}

TEST_F(HypsTest, SmallerScalesTakeEverySecondNode) {
    p.setScale = Series::Scale1m;
    EXPECT_EQ(run().features.nodes.size(), 25u);
}

TEST_F(HypsTest, LinesAreTheOutlineAndTheGraticuleStrictlyInside) {
    const HypsSheet sheet = run();
    ASSERT_EQ(sheet.features.lines.size(), 7u);

    const HypsLine& outline = sheet.features.lines[0];
    EXPECT_EQ(outline.attributes.code, 400010);
    EXPECT_EQ(outline.attributes.text, cp1251("Рамка"));
    EXPECT_EQ(outline.attributes.degrees, "");
    EXPECT_EQ(outline.line.size(), 33u);

    const auto parallels = withCode(sheet, PARALLEL_CODE);
    ASSERT_EQ(parallels.size(), 3u);
    EXPECT_EQ(parallels[0]->attributes.text, cp1251("Параллель"));
    EXPECT_EQ(parallels[0]->attributes.degrees, cp1251("52°"));
    EXPECT_EQ(parallels[0]->attributes.minutes, "10'");
    EXPECT_EQ(parallels[0]->attributes.hemisphere, cp1251("с.ш."));
    EXPECT_EQ(parallels[2]->attributes.minutes, "30'");
    for (const HypsLine* line : parallels) {
        ASSERT_EQ(line->line.size(), 9u);
        EXPECT_EQ(line->line.front().x, 30.0);
        EXPECT_EQ(line->line.back().x, 31.0);
    }

    const auto meridians = withCode(sheet, MERIDIAN_CODE);
    ASSERT_EQ(meridians.size(), 3u);
    EXPECT_EQ(meridians[0]->attributes.degrees, cp1251("30°"));
    EXPECT_EQ(meridians[0]->attributes.minutes, "15'");
    EXPECT_EQ(meridians[0]->attributes.hemisphere, cp1251("в.д."));
    for (const HypsLine* line : meridians) {
        ASSERT_EQ(line->line.size(), 9u);
        EXPECT_EQ(line->line.front().y, 52.0);
        EXPECT_EQ(line->line.back().y, NORTH);
    }

    ASSERT_EQ(sheet.drawn.parallels.size(), 3u);
    EXPECT_NEAR(sheet.drawn.parallels[0], 52.0 + 1.0 / 6.0, EXACT);
    EXPECT_NEAR(sheet.drawn.parallels[1], 52.0 + 1.0 / 3.0, EXACT);
    EXPECT_NEAR(sheet.drawn.parallels[2], 52.5, EXACT);
    EXPECT_EQ(sheet.drawn.meridians, (std::vector<double>{30.25, 30.5, 30.75}));
}

TEST_F(HypsTest, PolarCircleOnlyWhenClearOfTheEdges) {
    setTrapezoid(30.0, 31.0, 66.0, 67.0);
    const HypsSheet crossed = run();
    const auto circle = withCode(crossed, POLAR_CIRCLE_CODE);
    ASSERT_EQ(circle.size(), 1u);
    const HypsLineAttributes& a = circle[0]->attributes;
    EXPECT_EQ(a.text, cp1251("Северный полярный круг"));
    EXPECT_EQ(a.degrees, cp1251("66°"));
    EXPECT_EQ(a.minutes, "33.64'");
    EXPECT_EQ(a.hemisphere, cp1251("с.ш."));
    ASSERT_EQ(circle[0]->line.size(), 9u);
    for (const Point& v : circle[0]->line) EXPECT_EQ(v.y, POLAR_CIRCLE_LATITUDE);

    setTrapezoid(30.0, 31.0, 66.0, 66.561);
    const HypsSheet nearEdge = run();
    EXPECT_TRUE(withCode(nearEdge, POLAR_CIRCLE_CODE).empty());
    // Nor is it ever listed with the graticule parallels.
    for (double v : nearEdge.drawn.parallels) EXPECT_NE(v, POLAR_CIRCLE_LATITUDE);
}

TEST_F(HypsTest, CombinedSystemConvertsGeometryButLabelsTheGridValues) {
    p.cs = CoordinateSystem::Gsk2011FromSk42;
    const HypsSheet sheet = run();

    const std::vector<HypsNode>& nodes = sheet.features.nodes;
    ASSERT_EQ(nodes.size(), 81u);
    EXPECT_EQ(nodes[0].attributes.latitude, cp1251("52°00'00\""));
    EXPECT_EQ(nodes[0].attributes.longitude, cp1251("30°00'00\""));
    const Point expected = sk42ToGsk2011({30.0, 52.0});
    EXPECT_EQ(nodes[0].position.x, expected.x);
    EXPECT_EQ(nodes[0].position.y, expected.y);
    EXPECT_GT(std::abs(expected.x - 30.0), 1e-4);  // the shift is visible at all

    // Converted corners no longer fall on whole minutes: seconds with two decimals.
    const HypsArea& area = sheet.features.area;
    EXPECT_EQ(area.attributes.leftUp,
              pointText(corners.nw.x, corners.nw.y, 2, CoordinateTextStyle::HemisphereWord));
    EXPECT_NE(area.attributes.leftUp.find("\" " + cp1251("в.д.")), std::string::npos);
    ASSERT_FALSE(area.ring.empty());
    EXPECT_EQ(area.ring.front().x, corners.nw.x);
    EXPECT_EQ(area.ring.front().y, corners.nw.y);

    // Parallels end on the converted west and east edges, not on the SK-42 meridians.
    const auto parallels = withCode(sheet, PARALLEL_CODE);
    ASSERT_FALSE(parallels.empty());
    for (const HypsLine* line : parallels) {
        const double west = line->line.front().x;
        const double east = line->line.back().x;
        EXPECT_GE(west, std::min(corners.nw.x, corners.sw.x) - EXACT);
        EXPECT_LE(west, std::max(corners.nw.x, corners.sw.x) + EXACT);
        EXPECT_GE(east, std::min(corners.ne.x, corners.se.x) - EXACT);
        EXPECT_LE(east, std::max(corners.ne.x, corners.se.x) + EXACT);
    }
}

}  // namespace
}  // namespace sheetbasis
