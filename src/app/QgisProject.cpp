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
        layoutXml(LAYOUT_NAME, projectedExtent(*projection, rect), settings.scaleDenominator));
    const fs::path folder = hyps.parent_path();
    return writeFileAtomically(fileText(folder / (title + PROJECT_EXTENSION)), project);
}

}  // namespace sheetbasis
