#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "TempFolder.h"
#include "qgis/SheetProject.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

TEST(SheetProjectTest, sheetProjectionIsTrueToScaleOnItsStandardParallels) {
    const DrawingRect rect{41.0, 42.0, 52.0, 52.0 + 2.0 / 3.0};
    const LambertConformalConic pr = sheetProjectionOf(CoordinateSystem::Sk42, rect).value();
    EXPECT_DOUBLE_EQ(pr.centralMeridian, 41.5);
    EXPECT_DOUBLE_EQ(pr.originLatitude, 52.0 + 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(pr.standardParallel1, 52.0 + 1.0 / 9.0);
    EXPECT_DOUBLE_EQ(pr.standardParallel2, 52.0 + 5.0 / 9.0);
    EXPECT_DOUBLE_EQ(pr.semiMajorAxis, 6378245.0);
    EXPECT_DOUBLE_EQ(pr.inverseFlattening, 298.3);
    // A parallel of the ellipsoid has the radius a cos(phi) / sqrt(1 - e^2 sin^2(phi)).
    const double f = 1.0 / pr.inverseFlattening;
    const double e2 = 2.0 * f - f * f;
    for (double lat : {pr.standardParallel1, pr.standardParallel2}) {
        const double phi = lat * std::numbers::pi / 180.0;
        const double radius =
            pr.semiMajorAxis * std::cos(phi) / std::sqrt(1.0 - e2 * std::sin(phi) * std::sin(phi));
        const double step = 0.001;
        const Point a = projectLambertConformalConic(pr, {41.5, lat});
        const Point b = projectLambertConformalConic(pr, {41.5 + step, lat});
        const double ground = radius * step * std::numbers::pi / 180.0;
        EXPECT_NEAR(std::hypot(b.x - a.x, b.y - a.y) / ground, 1.0, 1e-7) << lat;
    }
}

TEST(SheetProjectTest, sheetsAcrossTheZeroMeridianAreCentredOnTheirMiddle) {
    const LambertConformalConic pr =
        sheetProjectionOf(CoordinateSystem::Gsk2011, {357.0, 363.0, 48.0, 52.0}).value();
    EXPECT_FALSE(sheetProjectionOf(static_cast<CoordinateSystem>(0), {357.0, 363.0, 48.0, 52.0}));
    EXPECT_DOUBLE_EQ(pr.centralMeridian, 0.0);
    EXPECT_DOUBLE_EQ(pr.semiMajorAxis, 6378136.5);
    const std::string text = sheetProjectionText(CoordinateSystem::Gsk2011, pr);
    EXPECT_EQ(text.rfind(R"(PROJCS["Sheet_Lambert_Conformal_Conic",GEOGCS["GCS_RUSSIA_2011")", 0),
              0u);
    EXPECT_NE(text.find(R"(PARAMETER["Standard_Parallel_1",48.666666666666664])"),
              std::string::npos);
}

std::string fileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// At 1:500 000 a sheet of the 1:200 000 series has no neighbour names: no FrameAdj.
TEST(SheetProjectTest, stylesGoBesideTheLayersOfTheMapScaleAndTheProjectNamesOnlyThose) {
    TempFolder tmp;
    const fs::path hyps = tmp.path() / "HYPS";
    const fs::path frame = tmp.path() / "FRAME";
    fs::create_directory(hyps);
    fs::create_directory(frame);
    SheetParameters p;
    p.cs = CoordinateSystem::Sk42;
    p.setScale = Series::Scale200k;
    p.mapScale = MapScale::Scale500k;
    ASSERT_TRUE(writeQgisFiles(p, {hyps.string(), frame.string()}, "N-37-XXXVI  ",
                               {41.0, 42.0, 52.0, 52.0 + 2.0 / 3.0}));
    for (const fs::path& style : {hyps / "HypsA.qml", hyps / "HypsL.qml", hyps / "HypsP.qml",
                                  frame / "Frame.qml", frame / "FrameDig.qml"}) {
        EXPECT_TRUE(fs::exists(style)) << style;
    }
    EXPECT_FALSE(fs::exists(frame / "FrameAdj.qml"));
    const std::string project = fileText(tmp.path() / "N-37-XXXVI.qgs");
    EXPECT_NE(project.find("<datasource>./FRAME/FrameDig.shp</datasource>"), std::string::npos);
    EXPECT_NE(project.find("<datasource>./HYPS/HypsA.shp</datasource>"), std::string::npos);
    EXPECT_EQ(project.find("FrameAdj"), std::string::npos);
    // The styles in the project are the ones in the files.
    const std::string style = fileText(frame / "FrameDig.qml");
    const auto labelling = style.find("<labeling");
    ASSERT_NE(labelling, std::string::npos);
    EXPECT_NE(project.find(style.substr(labelling, style.find("</labeling>") - labelling)),
              std::string::npos);
}

// The path that the PDF is printed from is the project that the generation writes, for
// sub-folders in the result folder or glued to its name, and whatever blanks the names carry.
TEST(SheetProjectTest, theProjectPathNamesTheProjectWritten) {
    struct Case {
        std::string hyps;  // below the temporary folder, as the result folders give it
        std::string frame;
        std::string sheetName;
        std::string project;  // where it is written, below the temporary folder
    };
    const Case cases[] = {
        {"N-37-XXXVI/HYPS", "N-37-XXXVI/FRAME", "N-37-XXXVI", "N-37-XXXVI/N-37-XXXVI.qgs"},
        {"ends in a blank /HYPS", "ends in a blank /FRAME", " T-37-I,II,III  ",
         "ends in a blank /T-37-I,II,III.qgs"},
        {"gluedHYPS", "gluedFRAME", "N-37-XXXV", "N-37-XXXV.qgs"},
    };
    for (const Case& c : cases) {
        TempFolder tmp;
        const std::string hyps = (tmp.path() / c.hyps).string();
        const std::string frame = (tmp.path() / c.frame).string();
        fs::create_directories(hyps);
        fs::create_directories(frame);
        SheetParameters p;
        p.cs = CoordinateSystem::Sk42;
        p.setScale = Series::Scale200k;
        p.mapScale = MapScale::Scale200k;
        ASSERT_TRUE(
            writeQgisFiles(p, {hyps, frame}, c.sheetName, {41.0, 42.0, 52.0, 52.0 + 2.0 / 3.0}));
        EXPECT_TRUE(fs::is_regular_file(tmp.path() / c.project)) << c.project;
        EXPECT_EQ(fs::path(sheetProjectPath(hyps, c.sheetName)), tmp.path() / c.project);
    }
}

TEST(SheetProjectTest, aFolderThatCannotTakeTheProjectIsReported) {
    TempFolder tmp;
    SheetParameters p;
    p.cs = CoordinateSystem::Sk42;
    const LayerFolders gone{(tmp.path() / "gone" / "HYPS").string(),
                            (tmp.path() / "gone" / "FRAME").string()};
    const Outcome written = writeQgisFiles(p, gone, "N-37", {36.0, 42.0, 52.0, 56.0});
    EXPECT_NE(written.reason().find("gone"), std::string::npos) << written.reason();
}

}  // namespace
}  // namespace sheetbasis
