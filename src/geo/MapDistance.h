#pragma once
// Distances measured on the printed map turned into degrees, as the frame layers place
// their lines and labels a given number of map millimetres from the sheet's edges.
//
// Method: the Earth as a sphere of radius SPHERE_RADIUS_KM; s map millimetres at 1:M are
// s * M / 1e6 km on the ground, which is that many kilometres of a great circle along a
// meridian, and of a circle of radius R cos(lat) along a parallel. Accuracy: on the
// ellipsoid the radii of curvature differ from the sphere's by less than 0.6 %, so an
// offset of 10 map millimetres lands within 0.06 mm of where an ellipsoidal computation
// puts it; the frame's offsets are a few millimetres. The constants are the ones the frame
// layers have always used, kept exactly: the layers' coordinates depend on every bit.

namespace sheetbasis {

// Sphere radius in kilometres used to turn map offsets into degrees.
inline constexpr double SPHERE_RADIUS_KM = 6371.032;
// Pi as the frame layers have always used it: truncated to eight digits. Offsets computed
// with full precision would move every frame line by a few millionths of a degree.
inline constexpr double PI_TRUNCATED = 3.1415926;
// Map millimetres per ground kilometre at scale 1:1 (the denominator is multiplied in).
inline constexpr double MILLIMETRES_PER_KILOMETRE = 1000000.0;

// The map scale 1:denominator on a sphere of radius radiusKm.
struct MapOnSphere {
    double denominator = 0.0;
    double radiusKm = SPHERE_RADIUS_KM;
};

// The latitude reached from lat0 by moving s map millimetres north (south for s < 0).
double latitudeAfterMapDistance(const MapOnSphere& map, double lat0, double s);
// The longitude reached from lon0 by moving s map millimetres east (west for s < 0) along
// the parallel lat.
double longitudeAfterMapDistance(const MapOnSphere& map, double lon0, double lat, double s);

}  // namespace sheetbasis
