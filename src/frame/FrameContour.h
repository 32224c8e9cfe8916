#pragma once
// The geometric kernel of the frame layers: offsets in map millimetres turned into degrees
// on a sphere, densified parallels and meridians, and the frame contour, a closed line at
// a fixed map distance outside the sheet trapezoid.

#include <cstddef>
#include <cstdint>

#include "geo/Geometry.h"
#include "sheet/Trapezoid.h"
#include "geo/LayerFeatures.h"

namespace sheetbasis {

// A densified leg never holds more vertices than this (the capacity of the work arrays
// the lines were always assembled in); it keeps every walk finite whatever its input.
inline constexpr std::size_t MAX_LEG_VERTICES = 10000;

// The sheet as the frame layers draw it: the drawing rectangle, the densification steps,
// the map scale with the sphere radius of the distance conversion, and the nominal
// trapezoid with its minute divisions.
struct FrameSheet {
    DrawingRect rect;
    double lonStep = 0.0;      // degrees between intermediate vertices of a parallel
    double latStep = 0.0;      // degrees between intermediate vertices of a meridian
    double scale = 0.0;        // denominator M of the map scale 1:M
    double radius = 0.0;       // sphere radius, kilometres
    DrawingRect base;          // the edges of the nominal (base) trapezoid
    std::int32_t xMinute = 0;  // minute divisions along longitude, whole minutes
    std::int32_t yMinute = 0;  // minute divisions along latitude, whole minutes
    // The trapezoid asked for (xFrom, xTo, yFrom, yTo), in the datum of the nominal one:
    // in coordinate system 4 the drawing rectangle lies in another datum and is no
    // measure of whether a side was cut.
    DrawingRect requested;
};

// A densified run from `from` to `to` whose intermediate vertices lie on the grid
// origin + k*step.
struct GridRun {
    double from = 0.0;
    double to = 0.0;
    double origin = 0.0;
    double step = 0.0;
};

// One leg of a frame contour: along the sheet edge at `edge` (a latitude for a leg along
// a parallel, a longitude for one along a meridian) from `from` to `to`, moved outward
// to the north or east when outward is set, else to the south or west.
struct ContourLeg {
    double edge = 0.0;
    double from = 0.0;
    double to = 0.0;
    bool outward = true;
};

// The latitude reached from lat0 by moving s map millimetres north (south for s < 0).
double latitudeOffsetBy(const FrameSheet& sheet, double lat0, double s);
// The longitude reached from lon0 by moving s map millimetres east (west for s < 0) along
// the parallel lat.
double longitudeOffsetBy(const FrameSheet& sheet, double lon0, double lat, double s);
// The grid value origin + k*step three steps below x.
double gridValueThreeStepsBelow(double x, double origin, double step);
// The next grid value base + k*step strictly beyond cur in the direction of travel,
// skipping one closer than a fifth of the step.
double nextIntermediateVertex(double cur, bool descending, double base, double step);

// Appends the parallel lat moved s mm north along the run of longitudes. Returns the
// number of vertices appended.
std::size_t appendOffsetParallel(const FrameSheet& sheet, double lat, double s, const GridRun& run,
                                 Line& line);
// Appends the meridian lon moved s mm east along the run of latitudes, each vertex's
// longitude taken at its own latitude. Returns the number of vertices appended.
std::size_t appendOffsetMeridian(const FrameSheet& sheet, double lon, double s, const GridRun& run,
                                 Line& line);

// Appends the leg along a parallel moved s mm outward and stretched by s mm at both ends,
// densified by the sheet's longitude step. Returns the number of vertices appended.
std::size_t appendContourParallelLeg(const FrameSheet& sheet, double s, const ContourLeg& leg,
                                     Line& line);
// The same along a meridian, densified by the sheet's latitude step.
std::size_t appendContourMeridianLeg(const FrameSheet& sheet, double s, const ContourLeg& leg,
                                     Line& line);
// The closed frame contour at s mm outside the sheet, clockwise from the north-west
// corner back to it.
Line contourVertices(const FrameSheet& sheet, double s);
// The frame contour at s mm as one line of the layer Frame with the given code.
FrameLine frameContour(const FrameSheet& sheet, std::int32_t code, double s);

}  // namespace sheetbasis
