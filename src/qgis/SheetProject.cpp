#include "qgis/SheetProject.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "frame/FontMetrics.h"
#include "frame/FrameSettings.h"
#include "geo/ConformalConic.h"
#include "hyps/HypsLines.h"
#include "output/AtomicFile.h"
#include "output/BufferedFiles.h"
#include "output/LayerFile.h"
#include "qgis/FrameStyle.h"
#include "qgis/HypsStyle.h"
#include "qgis/LayerSystem.h"
#include "qgis/PrintLayout.h"
#include "qgis/QgisStyle.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

constexpr const char* PROJECT_EXTENSION = ".qgs";
// The first lines of every project the program writes. The comment tells the program's
// projects from others: the next run into the folder replaces such a project, whatever sheet
// it was for. The users' GIS drops the comment when it saves a project itself, so a project
// a user has saved is left alone.
constexpr std::string_view PROJECT_MARKER =
    "<!-- sheetbasis: the project of the sheet generated into this folder; the next run into "
    "the folder replaces it -->\n";
constexpr const char* LAYOUT_NAME = "Sheet";
// How far beyond the sheet's edges the frame reaches at most, in millimetres on paper: the
// outer line 9.8 mm out (1:200 000) with a neighbour's name across it, 1.3 mm each side.
constexpr double FRAME_REACH_MM = 12.0;
// The band above the frame's reach that holds the sheet's name, and the lines below it:
// the scale, the scale in words, the scale bar, the coordinate system (mm).
constexpr double TITLE_BAND_MM = 8.0;
constexpr double NOTE_LINE_MM = 4.0;
constexpr double SCALE_BAR_BAND_MM = 10.0;
constexpr double BELOW_BAND_MM = 3.0 * NOTE_LINE_MM + SCALE_BAR_BAND_MM;
// Type sizes of the sheet's name above the frame and of the lines below it (points).
constexpr int TITLE_SIZE_PT = 14;
constexpr int NOTE_SIZE_PT = 9;
// Steps of the sheet's outline that clips the map, in degrees: its parallels are arcs of
// the conic, which a chord an eighth of a degree long follows within a hundredth of a
// millimetre at 1:200 000.
constexpr double OUTLINE_STEP_DEG = 0.125;
// Ids of the layout's items.
constexpr const char* MAP_ID = "map";
constexpr const char* FRAME_MAP_ID = "frame";
constexpr const char* OUTLINE_ID = "sheet outline";
constexpr double MILLIMETRES_PER_METRE = 1000.0;

// The styles of the layers that look the same on every sheet (all but Frame), built once
// per process: a set of sheets would otherwise build the same texts for each sheet.
struct FixedStyles {
    LayerStyle frameLabels = frameLabelStyle();
    LayerStyle hypsPoints = hypsPointStyle();
    LayerStyle hypsLines = hypsLineStyle();
    LayerStyle hypsAreas = hypsAreaStyle();
};

const FixedStyles& fixedStyles() {
    static const FixedStyles styles;
    return styles;
}

// The layers a generation with these settings has written, from the top of the drawing
// order to the bottom: labels over lines over areas. Every sheet has the three HYPS
// layers; the FRAME layers depend on the map scale.
std::vector<ProjectLayer> sheetLayers(const FrameSettings& settings, const DrawingRect& rect) {
    const FrameLayerSet frame = frameLayersOf(settings);
    const FixedStyles& fixed = fixedStyles();
    std::vector<ProjectLayer> layers;
    if (frame.digits) layers.emplace_back("FrameDig", "FRAME", "Line", fixed.frameLabels);
    if (frame.adjacent) layers.emplace_back("FrameAdj", "FRAME", "Line", fixed.frameLabels);
    if (frame.frame) {
        layers.emplace_back("Frame", "FRAME", "Line", frameLineStyle(settings, rect));
    }
    layers.emplace_back("HypsP", "HYPS", "Point", fixed.hypsPoints);
    layers.emplace_back("HypsL", "HYPS", "Line", fixed.hypsLines);
    layers.emplace_back("HypsA", "HYPS", "Polygon", fixed.hypsAreas);
    return layers;
}

std::string fileText(const fs::path& path) {
    return path.generic_string();
}

// The names of the layers that draw the frame (top first).
std::vector<std::string> frameLayerNames(const std::vector<ProjectLayer>& layers) {
    std::vector<std::string> names;
    for (const ProjectLayer& layer : layers) {
        if (layer.subFolder == "FRAME") names.push_back(layer.name);
    }
    return names;
}

// The sheet's outline on the page, as HypsA draws it.
std::vector<PagePoint> outlineOnPage(const LambertConformalConic& projection,
                                     const DrawingRect& rect, const PlaneBox& extent,
                                     double denominator, const AreaOnPage& at) {
    std::vector<PagePoint> corners;
    for (const Point& p : trapezoidRing(rect, AngleSteps{OUTLINE_STEP_DEG, OUTLINE_STEP_DEG})) {
        const Point q = projectLambertConformalConic(projection, p);
        corners.push_back(pagePointOf(q.x, q.y, extent, denominator, at));
    }
    return corners;
}

// The layout: the map at the sheet's scale, drawn only inside the sheet's outline, so that
// layers a user adds keep off the margins; over it the frame layers again, whole; the
// texts round the frame.
std::string sheetLayout(const std::vector<ProjectLayer>& layers, const MarginTexts& texts,
                        const LambertConformalConic& projection, const DrawingRect& rect,
                        double denominator, Paper paper) {
    const PlaneBox extent = projectedExtent(projection, rect);
    const AreaOnPage at = sheetOnPage(extent, denominator, paper);
    const double areaHeightMm = (extent.yMax - extent.yMin) / (denominator / MILLIMETRES_PER_METRE);
    const std::vector<std::string> frameLayers = frameLayerNames(layers);
    std::string items =
        layoutMapItem({MAP_ID, {}, OUTLINE_ID, 1, {}}, extent, denominator, at) +
        layoutOutlineItem(OUTLINE_ID, outlineOnPage(projection, rect, extent, denominator, at));
    if (!frameLayers.empty()) {
        items += layoutMapItem({FRAME_MAP_ID, frameLayers, {}, 3, {}}, extent, denominator, at);
    }
    return layoutXml(LAYOUT_NAME, at.page,
                     items + marginItems(texts, at, areaHeightMm, denominator));
}

// A regular file, not reached through a link, that begins as the program's projects do.
bool isOwnProject(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)) || ec) return false;
    std::ifstream file(path, std::ios::binary);
    const std::string expected = projectHead(PROJECT_MARKER);
    std::string head(expected.size(), '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    return file.gcount() == static_cast<std::streamsize>(head.size()) && head == expected;
}

// The names in the folder: as the result folder's preparation found them (nothing but this
// run has written there since, under the folder's lock), or listed now.
std::vector<std::string> namesIn(const fs::path& folder) {
    if (auto remembered = rememberedFolderContents(folder.string())) return std::move(*remembered);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

// The projects that earlier runs wrote into the folder, for whatever sheet, go once this
// run's project stands there: their layers have just been replaced. Other projects stay.
// A project that cannot be removed is left; the run has written its own.
void removeEarlierProjects(const fs::path& project) {
    const fs::path folder = project.parent_path();
    for (const std::string& name : namesIn(folder)) {
        const fs::path path = folder / name;
        std::error_code ec;
        if (path.extension() == PROJECT_EXTENSION && path.filename() != project.filename() &&
            isOwnProject(path)) {
            fs::remove(path, ec);
        }
    }
}

}  // namespace

AreaOnPage sheetOnPage(const PlaneBox& extent, double denominator, Paper paper) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    const LayoutPage content{(extent.xMax - extent.xMin) / metresPerMm + 2.0 * FRAME_REACH_MM,
                             (extent.yMax - extent.yMin) / metresPerMm + 2.0 * FRAME_REACH_MM +
                                 TITLE_BAND_MM + BELOW_BAND_MM};
    const LayoutPage page = pageFor(paper, content);
    return {page, (page.widthMm - content.widthMm) / 2.0 + FRAME_REACH_MM,
            (page.heightMm - content.heightMm) / 2.0 + TITLE_BAND_MM + FRAME_REACH_MM};
}

std::string marginItems(const MarginTexts& texts, const AreaOnPage& at, double areaHeightMm,
                        double denominator) {
    const std::string_view family = substituteFamily(LabelFont::Pragmatica);
    const double width = at.page.widthMm;
    const double below = at.topMm + areaHeightMm + FRAME_REACH_MM;
    const auto note = [&](const char* id, const std::string& text, double top) {
        return layoutTextItem({id, text, 0.0, top, width, NOTE_LINE_MM, NOTE_SIZE_PT}, family);
    };
    return layoutTextItem(
               {"sheet name", texts.title, 0.0, at.topMm - FRAME_REACH_MM - TITLE_BAND_MM, width,
                TITLE_BAND_MM, TITLE_SIZE_PT, LAYOUT_WEIGHT_BOLD},
               family) +
           note("scale", texts.scale, below) +
           note("scale in words", texts.words, below + NOTE_LINE_MM) +
           layoutScaleBar({"scale bar", MAP_ID, width / 2.0, below + 2.0 * NOTE_LINE_MM},
                          denominator, family) +
           note("coordinate system", texts.system, below + 2.0 * NOTE_LINE_MM + SCALE_BAR_BAND_MM);
}

MarginTexts marginTexts(const std::string& title, CoordinateSystem cs, double denominator) {
    return {title, scaleText(denominator), scaleInWords(denominator),
            "Система координат " + std::string(coordinateSystemName(cs))};
}

std::optional<LambertConformalConic> sheetProjectionOf(CoordinateSystem cs,
                                                       const DrawingRect& rect) {
    LambertConformalConic projection;
    const double height = rect.north - rect.south;
    projection.centralMeridian = std::remainder((rect.west + rect.east) / 2.0, 360.0);
    projection.originLatitude = (rect.south + rect.north) / 2.0;
    projection.standardParallel1 = rect.south + height / 6.0;
    projection.standardParallel2 = rect.north - height / 6.0;
    const std::optional<GeographicSystem> geographic = geographicSystemOf(projectionText(cs));
    if (!geographic || !shiftToWgs84(cs)) return std::nullopt;
    projection.semiMajorAxis = geographic->semiMajorAxis;
    projection.inverseFlattening = geographic->inverseFlattening;
    return projection;
}

// In the conic the meridians are straight lines and the parallels arcs about its apex,
// which bow furthest where they cross the central meridian: the four corners and the two
// edge points on the central meridian bound the sheet.
PlaneBox projectedExtent(const LambertConformalConic& projection, const DrawingRect& rect) {
    const double middle = (rect.west + rect.east) / 2.0;
    PlaneBox box{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (const Point& p :
         {Point{rect.west, rect.south}, Point{middle, rect.south}, Point{rect.east, rect.south},
          Point{rect.west, rect.north}, Point{middle, rect.north}, Point{rect.east, rect.north}}) {
        const Point q = projectLambertConformalConic(projection, p);
        box = {std::min(box.xMin, q.x), std::max(box.xMax, q.x), std::min(box.yMin, q.y),
               std::max(box.yMax, q.y)};
    }
    return box;
}

std::string sheetProjectionText(CoordinateSystem cs, const LambertConformalConic& pr) {
    const auto parameter = [](const char* name, double value) {
        return std::string(",PARAMETER[\"") + name + "\"," + decimalText(value) + "]";
    };
    const std::optional<GeographicSystem> geographic = geographicSystemOf(projectionText(cs));
    const std::optional<ShiftToWgs84> shift = shiftToWgs84(cs);
    if (!geographic || !shift) return {};
    return "PROJCS[\"Sheet_Lambert_Conformal_Conic\"," + geographicSystemText(*geographic, *shift) +
           ",PROJECTION[\"Lambert_Conformal_Conic\"]" + parameter("False_Easting", 0.0) +
           parameter("False_Northing", 0.0) + parameter("Central_Meridian", pr.centralMeridian) +
           parameter("Standard_Parallel_1", pr.standardParallel1) +
           parameter("Standard_Parallel_2", pr.standardParallel2) +
           parameter("Latitude_Of_Origin", pr.originLatitude) + ",UNIT[\"Meter\",1.0]]";
}

std::string sheetProjectPath(const std::string& hypsFolder, std::string_view sheetName) {
    const fs::path folder = fs::path(trimTrailing(hypsFolder)).parent_path();
    return fileText(folder / (trimBoth(sheetName) + std::string(PROJECT_EXTENSION)));
}

Outcome writeQgisFiles(const SheetParameters& p, const LayerFolders& folders,
                       const std::string& sheetName, const DrawingRect& rect) {
    const FrameSettings settings = frameSettingsFor(p.setScale, p.mapScale);
    const fs::path hyps(trimTrailing(folders.hyps));
    const fs::path frame(trimTrailing(folders.frame));
    const std::vector<ProjectLayer> written = sheetLayers(settings, rect);
    for (const ProjectLayer& layer : written) {
        const fs::path base = (layer.subFolder == "HYPS" ? hyps : frame) / layer.name;
        if (Outcome style = writeStyleFile(fileText(base), layer.style); !style) return style;
    }
    const std::optional<LambertConformalConic> projection = sheetProjectionOf(p.cs, rect);
    const std::optional<GeographicSystem> geographic = geographicSystemOf(projectionText(p.cs));
    const std::optional<ShiftToWgs84> shift = shiftToWgs84(p.cs);
    if (!projection || !geographic || !shift) {
        return Outcome::failure("the coordinate system has no projection text");
    }
    const std::string title = trimBoth(sheetName);
    const std::string project = projectDocument(
        title, written, layerSystemText(*geographic, *shift, (rect.west + rect.east) / 2.0),
        sheetProjectionText(p.cs, *projection),
        sheetLayout(written, marginTexts(title, p.cs, settings.scaleDenominator), *projection, rect,
                    settings.scaleDenominator, p.paper),
        PROJECT_MARKER);
    const fs::path path = sheetProjectPath(folders.hyps, title);
    if (Outcome written = writeFileAtomically(fileText(path), project); !written) return written;
    removeEarlierProjects(path);
    return {};
}

}  // namespace sheetbasis
