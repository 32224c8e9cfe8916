#include "qgis/LayerSystem.h"

#include <cstdlib>
#include <string_view>

#include "qgis/QgisStyle.h"

namespace sheetbasis {
namespace {

// Pulkovo 1942 to WGS 84 (16) (EPSG:15865, GOST R 51794-2001), accurate to 4.5 m over the
// former Soviet Union: the GIS takes it for EPSG:4284 before the newer and more accurate
// EPSG:5044, and overlays must land where the same coordinates read as EPSG:4284 land.
constexpr ShiftToWgs84 SK42_TO_WGS84{25.0, -141.0, -78.5, 0.0, 0.35, 0.736, 0.0};
// Pulkovo 1995 to WGS 84 (EPSG:5043, GOST R 51794-2008), accurate to 1 m.
constexpr ShiftToWgs84 SK95_TO_WGS84{24.47, -130.89, -81.56, 0.0, 0.0, 0.13, -0.22};
// GSK-2011 to WGS 84 (EPSG:9773): the two coincide within 1 m; only the ellipsoids differ.
constexpr ShiftToWgs84 GSK2011_TO_WGS84{};

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

}  // namespace

std::optional<ShiftToWgs84> shiftToWgs84(CoordinateSystem cs) {
    switch (cs) {
        case CoordinateSystem::Sk42:
            return SK42_TO_WGS84;
        case CoordinateSystem::Sk95:
            return SK95_TO_WGS84;
        case CoordinateSystem::Gsk2011:
        case CoordinateSystem::Gsk2011FromSk42:
            return GSK2011_TO_WGS84;
    }
    return std::nullopt;
}

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

std::string shiftValues(const ShiftToWgs84& s) {
    std::string text;
    for (const double value :
         {s.dxM, s.dyM, s.dzM, s.rxArcSec, s.ryArcSec, s.rzArcSec, s.scalePpm}) {
        text += (text.empty() ? "" : ",") + decimalText(value);
    }
    return text;
}

// The layers count longitudes east on a 0..360 scale (up to 192 in the columns past 180
// degrees); read as the files alone say, the GIS folds the map's extent into -180..180 when
// it asks a layer for its features, and a sheet east of 180 degrees is not found where it
// lies. The wrap has no form in WKT: the remark carries the whole system in the form the
// projection library reads back in place of the rest, datum shift included.
std::string layerSystemText(const GeographicSystem& g, const ShiftToWgs84& shift,
                            double wrapCentre) {
    const std::string degree = R"(ANGLEUNIT["degree",0.0174532925199433])";
    return "GEOGCRS[\"" + g.name + "\",DATUM[\"" + g.datum + "\",ELLIPSOID[\"" + g.spheroid +
           "\"," + decimalText(g.semiMajorAxis) + "," + decimalText(g.inverseFlattening) +
           R"(,LENGTHUNIT["metre",1]]],PRIMEM["Greenwich",0,)" + degree +
           R"(],CS[ellipsoidal,2],AXIS["longitude",east,ORDER[1],)" + degree +
           R"(],AXIS["latitude",north,ORDER[2],)" + degree +
           R"(],REMARK["PROJ CRS string: +proj=longlat +a=)" + decimalText(g.semiMajorAxis) +
           " +rf=" + decimalText(g.inverseFlattening) + " +towgs84=" + shiftValues(shift) +
           " +lon_wrap=" + decimalText(wrapCentre) + " +no_defs\"]]";
}

std::string geographicSystemText(const GeographicSystem& g, const ShiftToWgs84& shift) {
    return "GEOGCS[\"" + g.name + "\",DATUM[\"" + g.datum + "\",SPHEROID[\"" + g.spheroid + "\"," +
           decimalText(g.semiMajorAxis) + "," + decimalText(g.inverseFlattening) + "],TOWGS84[" +
           shiftValues(shift) + R"(]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
}

}  // namespace sheetbasis
