#pragma once
// The geometric kernel of the frame layers: offsets in map millimetres turned into degrees
// on a sphere, densified parallels and meridians, and the frame contour, a closed line at
// a fixed map distance outside the sheet trapezoid.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "output/Geometry.h"
#include "output/LayerFile.h"

namespace sheetbasis {

// Statuses of the drawing routines of the frame layers.
enum class DrawStatus {
    Drawn = 0,
    NotWritten = 2,
};

// A densified leg never holds more vertices than this (the capacity of the work arrays
// the lines were always assembled in); it keeps every walk finite whatever its input.
inline constexpr std::size_t MAX_LEG_VERTICES = 10000;

// The work arrays that a frame line is assembled in before it is written.
struct VertexBuffer {
    std::vector<double>& x;
    std::vector<double>& y;

    void clear() {
        x.clear();
        y.clear();
    }
    void append(double px, double py) {
        x.push_back(px);
        y.push_back(py);
    }
    void dropLast() {
        x.pop_back();
        y.pop_back();
    }
    std::size_t size() const { return x.size(); }
};

// The sheet as the frame layers draw it: the drawing rectangle, the densification steps,
// the map scale with the sphere radius of the distance conversion, and the nominal
// trapezoid with its minute divisions.
struct FrameSheet {
    DrawingRect rect;
    double lonStep = 0.0;      // degrees between intermediate vertices of a parallel
    double latStep = 0.0;      // degrees between intermediate vertices of a meridian
    double scale = 0.0;        // denominator M of the map scale 1:M
    double radius = 0.0;       // sphere radius, kilometres
    DrawingRect base;          // the nominal trapezoid (baseXFrom, baseXTo, baseYFrom, baseYTo)
    std::int32_t xMinute = 0;  // minute divisions along longitude, whole minutes
    std::int32_t yMinute = 0;  // minute divisions along latitude, whole minutes
    // The trapezoid asked for (xFrom, xTo, yFrom, yTo), in the datum of the nominal one:
    // in coordinate system 4 the drawing rectangle lies in another datum and is no
    // measure of whether a side was cut.
    DrawingRect requested;
};

// The latitude reached from lat0 by moving s map millimetres north (south for s < 0).
double latitudeOffsetBy(double lat0, double s, double M, double R);
// The longitude reached from lon0 by moving s map millimetres east (west for s < 0) along
// the parallel lat.
double longitudeOffsetBy(double lon0, double lat, double s, double M, double R);
// The grid value origin + k*step three steps below x.
double gridValueThreeStepsBelow(double x, double origin, double step);
// The next grid value base + k*step strictly beyond cur in the direction of travel,
// skipping one closer than a fifth of the step.
double nextIntermediateVertex(double cur, bool descending, double base, double step);

// Appends the parallel lat moved s mm north, from lonStart to lonEnd, with intermediate
// vertices on the grid origin + k*step. Returns the number of vertices appended.
std::size_t appendOffsetParallel(double lat, double s, double lonStart, double lonEnd, double M,
                                 double R, double origin, double step, VertexBuffer& out);
// Appends the meridian lon moved s mm east, from latStart to latEnd, each vertex's
// longitude taken at its own latitude. Returns the number of vertices appended.
std::size_t appendOffsetMeridian(double lon, double s, double latStart, double latEnd, double M,
                                 double R, double origin, double step, VertexBuffer& out);

// One leg of a frame contour along the parallel lat from lonA to lonB, moved s mm
// outward (north or south) and stretched by s mm at both ends. Without keepLast its last
// vertex is dropped. Returns the number of vertices kept.
std::size_t appendContourParallelLeg(double s, double M, double R, bool outwardNorth, double lat,
                                     double lonA, double lonB, double lonStep, bool keepLast,
                                     VertexBuffer& out);
// The same along the meridian lon from latA to latB, moved outward east or west.
std::size_t appendContourMeridianLeg(double s, double M, double R, bool outwardEast, double lon,
                                     double latA, double latB, double latStep, bool keepLast,
                                     VertexBuffer& out);
// The closed frame contour at s mm outside the sheet, clockwise from the north-west
// corner back to it. Clears out first. Returns the vertex count.
std::size_t contourVertices(double s, const FrameSheet& sheet, VertexBuffer& out);
// Writes the frame contour at s mm as one line with the given code. Returns DrawStatus::Drawn or
// DrawStatus::NotWritten.
DrawStatus writeFrameContour(Layer& layer, std::int32_t code, double s, const FrameSheet& sheet,
                             VertexBuffer& work);

// The attribute text of a line feature: the code followed by the separator.
std::string codeAttributes(std::int32_t code);
// Writes the assembled vertices as one line. Returns DrawStatus::Drawn or DrawStatus::NotWritten.
DrawStatus writeLine(Layer& layer, std::string attributes, const VertexBuffer& line);
// Writes the two-vertex line a-b with the given code.
DrawStatus writeSegment(Layer& layer, std::int32_t code, Point a, Point b, VertexBuffer& work);

}  // namespace sheetbasis
