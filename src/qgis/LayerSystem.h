#pragma once
// The coordinate systems a project gives its layers and its map: the datum and coordinates
// of the layers' projection files, tied to WGS 84 by the datum shift the national standards
// publish, so that the users' GIS carries the sheet onto their own data (GPS tracks in
// WGS 84, surveys in UTM) where it belongs, and not some hundred metres off.

#include <optional>
#include <string>

#include "sheet/CoordinateSystem.h"

namespace sheetbasis {

// The seven parameters that take a datum's earth-centred coordinates to WGS 84's, in the
// position vector convention (PROJ's +towgs84, WKT 1's TOWGS84).
struct ShiftToWgs84 {
    double dxM = 0.0;
    double dyM = 0.0;
    double dzM = 0.0;
    double rxArcSec = 0.0;
    double ryArcSec = 0.0;
    double rzArcSec = 0.0;
    double scalePpm = 0.0;
};

// The shift of the coordinate system's datum: the one the users' GIS itself picks for the
// system's EPSG code over Russia. Nothing for an unknown system.
std::optional<ShiftToWgs84> shiftToWgs84(CoordinateSystem cs);

// The seven parameters as +towgs84 and TOWGS84 list them, comma-separated.
std::string shiftValues(const ShiftToWgs84& shift);

// What the GEOGCS of a projection text defines: names, ellipsoid.
struct GeographicSystem {
    std::string name;
    std::string datum;
    std::string spheroid;
    double semiMajorAxis = 0.0;
    double inverseFlattening = 0.0;
};

// The GEOGCS of a projection text; nothing when it has none or is not read whole.
std::optional<GeographicSystem> geographicSystemOf(const std::string& text);

// The layers' system as a project gives it to each layer: the coordinates of their
// projection files on the datum shifted to WGS 84 by shift, with longitudes taken within
// 180 degrees of wrapCentre.
std::string layerSystemText(const GeographicSystem& g, const ShiftToWgs84& shift,
                            double wrapCentre);

// The same system in the form a projected system's definition embeds (WKT 1's GEOGCS).
std::string geographicSystemText(const GeographicSystem& g, const ShiftToWgs84& shift);

}  // namespace sheetbasis
