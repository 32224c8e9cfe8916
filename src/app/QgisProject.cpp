#include "app/QgisProject.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string_view>
#include <system_error>
#include <vector>

#include "frame/FrameSettings.h"
#include "frame/FrameStyle.h"
#include "hyps/HypsStyle.h"
#include "output/AtomicFile.h"
#include "output/LayerFile.h"
#include "output/QgisStyle.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

constexpr const char* PROJECT_EXTENSION = ".qgs";
constexpr const char* LAYOUT_NAME = "Sheet";
// White paper around the sheet edges on the layout page, in millimetres: room for the
// frame (outer line up to 9.8 mm out) and the labels beyond it, with a margin to spare.
constexpr double PAGE_MARGIN_MM = 25.0;
// Layout item type codes of the users' GIS: a page and a map.
constexpr int LAYOUT_PAGE_ITEM = 65638;
constexpr int LAYOUT_MAP_ITEM = 65639;
constexpr double MILLIMETRES_PER_METRE = 1000.0;

struct ProjectLayer {
    std::string name;
    std::string subFolder;  // "HYPS" or "FRAME"
    std::string geometry;   // "Point", "Line" or "Polygon"
    LayerStyle style;
};

// The layers a generation with these settings has written, from the top of the drawing
// order to the bottom: labels over lines over areas. Every sheet has the three HYPS
// layers; the FRAME layers depend on the map scale.
std::vector<ProjectLayer> sheetLayers(const FrameSettings& settings, const DrawingRect& rect) {
    const FrameLayerSet frame = frameLayersOf(settings);
    std::vector<ProjectLayer> layers;
    if (frame.digits) layers.push_back({"FrameDig", "FRAME", "Line", coordinateLabelStyle()});
    if (frame.adjacent) layers.push_back({"FrameAdj", "FRAME", "Line", adjacentLabelStyle()});
    if (frame.frame) {
        layers.push_back({"Frame", "FRAME", "Line", frameLineStyle(settings, rect)});
    }
    layers.push_back({"HypsP", "HYPS", "Point", hypsPointStyle()});
    layers.push_back({"HypsL", "HYPS", "Line", hypsLineStyle()});
    layers.push_back({"HypsA", "HYPS", "Polygon", hypsAreaStyle()});
    return layers;
}

// Layer identifiers of the project. The GIS takes an identifier only when it is longer
// than ten characters and makes up its own otherwise, which would cut the layer tree off
// from the layers.
std::string layerId(const ProjectLayer& layer) {
    return "sheetbasis_layer_" + layer.name;
}

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// Longitude difference folded into -180..180: east edges may pass 360.
double longitudeFromCentre(double lon, double centre) {
    return std::remainder(lon - centre, 360.0);
}

// The two numbers that follow the name in the SPHEROID of a projection text.
bool readSpheroid(const std::string& text, double& semiMajorAxis, double& inverseFlattening) {
    const auto at = text.find("SPHEROID[");
    if (at == std::string::npos) return false;
    const auto comma = text.find(',', at);
    if (comma == std::string::npos) return false;
    char* end = nullptr;
    semiMajorAxis = std::strtod(text.c_str() + comma + 1, &end);
    if (end == nullptr || *end != ',') return false;
    inverseFlattening = std::strtod(end + 1, nullptr);
    return semiMajorAxis > 0.0 && inverseFlattening > 0.0;
}

struct ConicConstants {
    double e = 0.0;
    double n = 0.0;
    double aF = 0.0;
    double rho0 = 0.0;
};

double conicM(double phi, double e) {
    const double s = e * std::sin(phi);
    return std::cos(phi) / std::sqrt(1.0 - s * s);
}

double conicT(double phi, double e) {
    const double s = e * std::sin(phi);
    return std::tan(std::numbers::pi / 4.0 - phi / 2.0) / std::pow((1.0 - s) / (1.0 + s), e / 2.0);
}

// Lambert conformal conic with two standard parallels on the ellipsoid.
ConicConstants conicConstants(const SheetProjection& pr) {
    const double f = 1.0 / pr.inverseFlattening;
    const double e = std::sqrt(2.0 * f - f * f);
    const double p1 = radians(pr.standardParallel1);
    const double p2 = radians(pr.standardParallel2);
    const double n = (std::log(conicM(p1, e)) - std::log(conicM(p2, e))) /
                     (std::log(conicT(p1, e)) - std::log(conicT(p2, e)));
    const double aF = pr.semiMajorAxis * conicM(p1, e) / (n * std::pow(conicT(p1, e), n));
    return {e, n, aF, aF * std::pow(conicT(radians(pr.originLatitude), e), n)};
}

std::string fileText(const fs::path& path) {
    return path.generic_string();
}

struct PlaneBox {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
};

// In the conic the meridians are straight lines and the parallels arcs about its apex,
// which bow furthest where they cross the central meridian: the four corners and the two
// edge points on the central meridian bound the sheet.
PlaneBox projectedExtent(const SheetProjection& projection, const DrawingRect& rect) {
    const double middle = (rect.west + rect.east) / 2.0;
    PlaneBox box{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (const Point& p :
         {Point{rect.west, rect.south}, Point{middle, rect.south}, Point{rect.east, rect.south},
          Point{rect.west, rect.north}, Point{middle, rect.north}, Point{rect.east, rect.north}}) {
        const Point q = projectToSheetPlane(projection, p);
        box = {std::min(box.xMin, q.x), std::max(box.xMax, q.x), std::min(box.yMin, q.y),
               std::max(box.yMax, q.y)};
    }
    return box;
}

std::string spatialReference(const std::string& wkt) {
    return "<spatialrefsys><wkt>" + xmlEscaped(wkt) + "</wkt></spatialrefsys>";
}

std::string mapLayerEntry(const ProjectLayer& layer, const std::string& layerWkt) {
    const std::string source = "./" + layer.subFolder + "/" + layer.name + ".shp";
    return R"(<maplayer type="vector" geometry=")" + layer.geometry + "\" labelsEnabled=\"" +
           (layer.style.labelling.empty() ? "0" : "1") + "\"><id>" + layerId(layer) +
           "</id><datasource>" + source + "</datasource><layername>" + layer.name +
           "</layername><srs>" + spatialReference(layerWkt) +
           "</srs><provider encoding=\"\">ogr</provider>" + styleElements(layer.style) +
           "</maplayer>";
}

std::string treeEntry(const ProjectLayer& layer) {
    return "<layer-tree-layer id=\"" + layerId(layer) + "\" name=\"" + layer.name +
           "\" source=\"./" + layer.subFolder + "/" + layer.name +
           R"(.shp" providerKey="ogr" checked="Qt::Checked" expanded="1"/>)";
}

std::string sizeText(double widthMm, double heightMm) {
    return decimalText(widthMm) + "," + decimalText(heightMm) + ",mm";
}

// One page exactly as large as the map item, which holds the sheet at the map scale with
// the margin all round.
std::string layout(const PlaneBox& sheet, double denominator) {
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    const double margin = PAGE_MARGIN_MM * metresPerMm;
    const double widthMm = (sheet.xMax - sheet.xMin) / metresPerMm + 2.0 * PAGE_MARGIN_MM;
    const double heightMm = (sheet.yMax - sheet.yMin) / metresPerMm + 2.0 * PAGE_MARGIN_MM;
    const std::string size = sizeText(widthMm, heightMm);
    return std::string("<Layouts><Layout name=\"") + LAYOUT_NAME +
           R"(" units="mm" printResolution="300"><PageCollection><LayoutItem type=")" +
           std::to_string(LAYOUT_PAGE_ITEM) + R"(" uuid="{sheet-page}" size=")" + size +
           "\" position=\"0,0,mm\" positionOnPage=\"0,0,mm\" zValue=\"0\" frame=\"false\" "
           "background=\"true\" visibility=\"1\"><BackgroundColor red=\"255\" green=\"255\" "
           "blue=\"255\" alpha=\"255\"/></LayoutItem></PageCollection><LayoutItem type=\"" +
           std::to_string(LAYOUT_MAP_ITEM) + R"(" uuid="{sheet-map}" id="map" size=")" + size +
           "\" position=\"0,0,mm\" positionOnPage=\"0,0,mm\" zValue=\"1\" frame=\"false\" "
           "background=\"false\" visibility=\"1\" keepLayerSet=\"false\" mapRotation=\"0\" "
           "drawCanvasItems=\"false\"><Extent xmin=\"" +
           decimalText(sheet.xMin - margin) + "\" ymin=\"" + decimalText(sheet.yMin - margin) +
           "\" xmax=\"" + decimalText(sheet.xMin - margin + widthMm * metresPerMm) + "\" ymax=\"" +
           decimalText(sheet.yMin - margin + heightMm * metresPerMm) +
           "\"/><LayerSet/></LayoutItem></Layout></Layouts>";
}

std::string projectDocument(const std::string& title, const std::vector<ProjectLayer>& layers,
                            const std::string& layerWkt, const std::string& projectWkt,
                            const std::string& layoutXml) {
    std::string tree;
    std::string entries;
    for (const ProjectLayer& layer : layers) {
        tree += treeEntry(layer);
        entries += mapLayerEntry(layer, layerWkt);
    }
    return "<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n<qgis projectname=\"" +
           xmlEscaped(title) + R"(" version="3.22"><title>)" + xmlEscaped(title) +
           "</title><projectCrs>" + spatialReference(projectWkt) +
           "</projectCrs><layer-tree-group>" + tree +
           "</layer-tree-group><properties><Paths><Absolute type=\"bool\">false</Absolute>"
           "</Paths><SpatialRefSys><ProjectionsEnabled type=\"int\">1</ProjectionsEnabled>"
           "</SpatialRefSys></properties><projectlayers>" +
           entries + "</projectlayers>" + layoutXml + "</qgis>\n";
}

}  // namespace

std::optional<SheetProjection> sheetProjectionOf(std::int32_t cs, const DrawingRect& rect) {
    SheetProjection projection;
    const double height = rect.north - rect.south;
    projection.centralMeridian = std::remainder((rect.west + rect.east) / 2.0, 360.0);
    projection.originLatitude = (rect.south + rect.north) / 2.0;
    projection.standardParallel1 = rect.south + height / 6.0;
    projection.standardParallel2 = rect.north - height / 6.0;
    if (!readSpheroid(projectionText(cs), projection.semiMajorAxis, projection.inverseFlattening)) {
        return std::nullopt;
    }
    return projection;
}

Point projectToSheetPlane(const SheetProjection& projection, const Point& lonLat) {
    const ConicConstants c = conicConstants(projection);
    const double rho = c.aF * std::pow(conicT(radians(lonLat.y), c.e), c.n);
    const double theta = c.n * radians(longitudeFromCentre(lonLat.x, projection.centralMeridian));
    return {rho * std::sin(theta), c.rho0 - rho * std::cos(theta)};
}

std::string sheetProjectionText(std::int32_t cs, const SheetProjection& pr) {
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

Outcome writeQgisFiles(const SheetParameters& p, const std::string& sheetName,
                       const DrawingRect& rect) {
    const FrameSettings settings = frameSettingsFor(p.setScale, p.mapScale);
    const fs::path hyps(trimTrailing(p.path));
    const fs::path frame(trimTrailing(p.outputFolder));
    const std::vector<ProjectLayer> written = sheetLayers(settings, rect);
    for (const ProjectLayer& layer : written) {
        const fs::path base = (layer.subFolder == "HYPS" ? hyps : frame) / layer.name;
        if (Outcome style = writeStyleFile(fileText(base), layer.style); !style) return style;
    }
    const std::optional<SheetProjection> projection = sheetProjectionOf(p.cs, rect);
    if (!projection) return Outcome::failure("the coordinate system has no projection text");
    const std::string title = trimBoth(sheetName);
    const std::string project = projectDocument(
        title, written, trimTrailing(projectionText(p.cs)), sheetProjectionText(p.cs, *projection),
        layout(projectedExtent(*projection, rect), settings.scaleDenominator));
    const fs::path folder = hyps.parent_path();
    return writeFileAtomically(fileText(folder / (title + PROJECT_EXTENSION)), project);
}

}  // namespace sheetbasis
