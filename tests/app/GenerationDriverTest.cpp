#include <gtest/gtest.h>
#include <shapefil.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "app/GenerationDriver.h"
#include "app/ResultFolders.h"
#include "geo/DatumShift.h"
#include "geo/Geometry.h"

namespace sheetbasis {
namespace {

constexpr double TWO_THIRDS = 2.0 / 3.0;

TEST(AddEdgesOnGrid, EdgesOnTheGridJoinTheListInOrder) {
    std::vector<double> list{52 + TWO_THIRDS, 53 + 1.0 / 3.0};
    addEdgesOnGrid(list, 52.0, 54.0, 52.0, TWO_THIRDS);
    EXPECT_EQ(list, (std::vector<double>{52.0, 52 + TWO_THIRDS, 53 + 1.0 / 3.0, 54.0}));
}

TEST(AddEdgesOnGrid, ToleranceDecidesWhetherAnEdgeIsOnTheGrid) {
    std::vector<double> near;
    addEdgesOnGrid(near, 52.00005, 52.5, 52.0, TWO_THIRDS);
    EXPECT_EQ(near, (std::vector<double>{52.00005}));

    std::vector<double> off;
    addEdgesOnGrid(off, 52.001, 52.5, 52.0, TWO_THIRDS);
    EXPECT_TRUE(off.empty());
}

TEST(AddEdgesOnGrid, AnEdgeAlreadyListedIsNotRepeated) {
    std::vector<double> list{54.0};
    addEdgesOnGrid(list, 53.1, 54.0 - 0.0001, 52.0, TWO_THIRDS);
    EXPECT_EQ(list, (std::vector<double>{54.0}));
}

SheetParameters sheetN37XXXVI(CoordinateSystem cs) {
    SheetParameters p;
    p.cs = cs;
    p.yZone = 8;
    p.xZone = 37;
    p.sheetNumber = 36;
    setBaseFromIdentity(p);
    p.result = p.base;
    return p;
}

// The sheet polygon of HypsA as written.
std::vector<Point> sheetRing(const std::filesystem::path& hyps) {
    SHPHandle shp = SHPOpen((hyps / "HypsA.shp").c_str(), "rb");
    EXPECT_NE(shp, nullptr);
    std::vector<Point> ring;
    if (shp == nullptr) return ring;
    SHPObject* polygon = SHPReadObject(shp, 0);
    for (int i = 0; polygon != nullptr && i < polygon->nVertices; ++i) {
        ring.push_back({polygon->padfX[i], polygon->padfY[i]});
    }
    SHPDestroyObject(polygon);
    SHPClose(shp);
    return ring;
}

TEST(Velmora, CombinedSystemCarriesTheCornersIntoGsk2011) {
    TempFolder tmp;
    for (const CoordinateSystem cs : {CoordinateSystem::Sk42, CoordinateSystem::Gsk2011FromSk42}) {
        SheetParameters p = sheetN37XXXVI(cs);
        const std::string folder =
            (tmp.path() / std::to_string(static_cast<int>(cs))).string() + "/";
        std::filesystem::create_directories(folder);
        ResultReplacement replacement;
        const ResultFolders folders = prepareResultFolders(folder, replacement);
        ASSERT_EQ(folders.status, FolderStatus::Ready);
        const Outcome generated = generateSheet(p, folders.layers);
        ASSERT_TRUE(generated) << generated.reason();
        const Outcome placed =
            replacement.commit([](const std::string&) { return EarlierEntry::Unknown; });
        ASSERT_TRUE(placed) << placed.reason();

        Point nw{41.0, 52 + TWO_THIRDS};
        if (cs == CoordinateSystem::Gsk2011FromSk42) nw = sk42ToGsk2011(nw);
        const std::vector<Point> ring = sheetRing(folders.layers.hyps);
        ASSERT_FALSE(ring.empty());
        EXPECT_EQ(ring.front().x, nw.x) << coordinateSystemName(cs);
        EXPECT_EQ(ring.front().y, nw.y) << coordinateSystemName(cs);
        EXPECT_TRUE(
            std::filesystem::exists(std::filesystem::path(folders.layers.frame) / "Frame.shp"));
    }
}

}  // namespace
}  // namespace sheetbasis
