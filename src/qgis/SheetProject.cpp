#include "qgis/SheetProject.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string_view>
#include <system_error>
#include <vector>

#include "frame/FontMetrics.h"
#include "frame/FrameSettings.h"
#include "geo/ConformalConic.h"
#include "output/AtomicFile.h"
#include "output/BufferedFiles.h"
#include "output/LayerFile.h"
#include "qgis/FrameStyle.h"
#include "qgis/HypsStyle.h"
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
// Blank paper between the texts above and below the frame and the page's edge (mm).
constexpr double PAGE_EDGE_MM = 5.0;
// The band that holds those texts, between the frame's reach and the blank edge (mm).
constexpr double TEXT_BAND_MM = PAGE_MARGIN_MM - FRAME_REACH_MM - PAGE_EDGE_MM;
// Type sizes of the sheet's name above the frame and of the lines below it (points).
constexpr int TITLE_SIZE_PT = 14;
constexpr int NOTE_SIZE_PT = 9;

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

// What the GEOGCS of a projection file defines: names, ellipsoid.
struct GeographicSystem {
    std::string name;
    std::string datum;
    std::string spheroid;
    double semiMajorAxis = 0.0;
    double inverseFlattening = 0.0;
};

// The quoted name that follows keyword (such as "DATUM[") at or after from; npos when none.
std::string::size_type quotedNameAfter(const std::string& text, std::string_view keyword,
                                       std::string::size_type from, std::string& name) {
    const auto at = text.find(keyword, from);
    if (at == std::string::npos || text.compare(at + keyword.size(), 1, "\"") != 0) {
        return std::string::npos;
    }
    const auto begin = at + keyword.size() + 1;
    const auto end = text.find('"', begin);
    if (end == std::string::npos) return std::string::npos;
    name = text.substr(begin, end - begin);
    return end + 1;
}

// The GEOGCS of a projection text; nothing when it has none or is not read whole.
std::optional<GeographicSystem> geographicSystemOf(const std::string& text) {
    GeographicSystem system;
    auto at = quotedNameAfter(text, "GEOGCS[", 0, system.name);
    if (at != std::string::npos) at = quotedNameAfter(text, "DATUM[", at, system.datum);
    if (at != std::string::npos) at = quotedNameAfter(text, "SPHEROID[", at, system.spheroid);
    if (at == std::string::npos || text.compare(at, 1, ",") != 0) return std::nullopt;
    char* end = nullptr;
    system.semiMajorAxis = std::strtod(text.c_str() + at + 1, &end);
    if (end == nullptr || *end != ',') return std::nullopt;
    system.inverseFlattening = std::strtod(end + 1, nullptr);
    if (system.semiMajorAxis <= 0.0 || system.inverseFlattening <= 0.0) return std::nullopt;
    return system;
}

// The layers' geographic system as the project gives it to each layer: the datum and
// coordinates of their projection files, with longitudes taken within 180 degrees of
// wrapCentre. The layers count longitudes east on a 0..360 scale (up to 192 in the columns
// past 180 degrees); read as the files alone say, the GIS folds the map's extent into
// -180..180 when it asks a layer for its features, and a sheet east of 180 degrees is not
// found where it lies. The remark carries the wrap in the form the projection library
// reads back.
std::string wrappedLayerSystemText(const GeographicSystem& g, double wrapCentre) {
    const std::string degree = R"(ANGLEUNIT["degree",0.0174532925199433])";
    return "GEOGCRS[\"" + g.name + "\",DATUM[\"" + g.datum + "\",ELLIPSOID[\"" + g.spheroid +
           "\"," + decimalText(g.semiMajorAxis) + "," + decimalText(g.inverseFlattening) +
           R"(,LENGTHUNIT["metre",1]]],PRIMEM["Greenwich",0,)" + degree +
           R"(],CS[ellipsoidal,2],AXIS["longitude",east,ORDER[1],)" + degree +
           R"(],AXIS["latitude",north,ORDER[2],)" + degree +
           R"(],REMARK["PROJ CRS string: +proj=longlat +a=)" + decimalText(g.semiMajorAxis) +
           " +rf=" + decimalText(g.inverseFlattening) + " +lon_wrap=" + decimalText(wrapCentre) +
           " +no_defs\"]]";
}

std::string fileText(const fs::path& path) {
    return path.generic_string();
}

// The texts a printed sheet carries outside its frame.
struct MarginTexts {
    std::string title;   // above the frame
    std::string scale;   // below it
    std::string system;  // below the scale
};

// The sheet's name in the band above the frame, the scale and the coordinate system in
// the band below it, each the page's width wide.
std::string marginTextItems(const MarginTexts& texts, const LayoutPage& page) {
    const std::string_view family = substituteFamily(LabelFont::Pragmatica);
    const double halfBand = TEXT_BAND_MM / 2.0;
    const double below = page.heightMm - PAGE_MARGIN_MM + FRAME_REACH_MM;
    return layoutTextItem({"sheet name", texts.title, 0.0, PAGE_EDGE_MM, page.widthMm, TEXT_BAND_MM,
                           TITLE_SIZE_PT, LAYOUT_WEIGHT_BOLD},
                          family) +
           layoutTextItem({"scale", texts.scale, 0.0, below, page.widthMm, halfBand, NOTE_SIZE_PT},
                          family) +
           layoutTextItem({"coordinate system", texts.system, 0.0, below + halfBand, page.widthMm,
                           halfBand, NOTE_SIZE_PT},
                          family);
}

// A whole number with its digits in groups of three, parted by a blank: 1 000 000.
std::string groupedDigits(long long value) {
    std::string digits = std::to_string(value);
    constexpr std::size_t GROUP = 3;
    for (auto at = digits.size(); at > GROUP; at -= GROUP) digits.insert(at - GROUP, 1, ' ');
    return digits;
}

MarginTexts marginTexts(const std::string& title, CoordinateSystem cs, double denominator) {
    return {title, "Масштаб 1:" + groupedDigits(std::llround(denominator)),
            "Система координат " + std::string(coordinateSystemName(cs))};
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

std::optional<LambertConformalConic> sheetProjectionOf(CoordinateSystem cs,
                                                       const DrawingRect& rect) {
    LambertConformalConic projection;
    const double height = rect.north - rect.south;
    projection.centralMeridian = std::remainder((rect.west + rect.east) / 2.0, 360.0);
    projection.originLatitude = (rect.south + rect.north) / 2.0;
    projection.standardParallel1 = rect.south + height / 6.0;
    projection.standardParallel2 = rect.north - height / 6.0;
    const std::optional<GeographicSystem> geographic = geographicSystemOf(projectionText(cs));
    if (!geographic) return std::nullopt;
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
    return "PROJCS[\"Sheet_Lambert_Conformal_Conic\"," + trimTrailing(projectionText(cs)) +
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
    if (!projection || !geographic) {
        return Outcome::failure("the coordinate system has no projection text");
    }
    const std::string title = trimBoth(sheetName);
    const PlaneBox extent = projectedExtent(*projection, rect);
    const std::string project = projectDocument(
        title, written, wrappedLayerSystemText(*geographic, (rect.west + rect.east) / 2.0),
        sheetProjectionText(p.cs, *projection),
        layoutXml(LAYOUT_NAME, extent, settings.scaleDenominator,
                  marginTextItems(marginTexts(title, p.cs, settings.scaleDenominator),
                                  layoutPageOf(extent, settings.scaleDenominator))),
        PROJECT_MARKER);
    const fs::path path = sheetProjectPath(folders.hyps, title);
    if (Outcome written = writeFileAtomically(fileText(path), project); !written) return written;
    removeEarlierProjects(path);
    return {};
}

}  // namespace sheetbasis
