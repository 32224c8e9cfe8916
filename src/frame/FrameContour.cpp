#include "frame/FrameContour.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "frame/FrameSettings.h"
#include "output/ShapeWriters.h"

namespace sheetbasis {

namespace {

// Degrees of a half turn, used with the truncated pi of the distance conversion.
constexpr double DEGREES_PER_HALF_TURN = 180.0;
constexpr double DEGREES_PER_TURN = 360.0;
// A grid value closer than this fraction of a step to the previous vertex or to the end
// of a leg is skipped: 0.2 as a single-precision value widened to double, the value the
// contour geometry is defined with.
constexpr double SKIP_FRACTION = 0.20000000298023224;
static_assert(SKIP_FRACTION == static_cast<double>(0.2f));
// The grid value that the search for the next vertex starts from lies this many steps
// behind the current one, and gridValueThreeStepsBelow this many steps below x; both are safely
// behind whatever rounding did to the quotient.
constexpr double NEXT_VERTEX_BACKOFF_STEPS = 2.0;
constexpr double REFERENCE_BACKOFF_STEPS = 3.0;
// The search walks at most this many steps forward: two to make up the back-off, one
// for rounding, one to skip a grid value that is too close. More means the step is lost
// against the magnitude of cur and no grid value beyond it can be found.
constexpr int NEXT_VERTEX_MAX_STEPS = 4;

double millimetresToKilometres(double s, double M) {
    return s / MILLIMETRES_PER_KILOMETRE * M;
}

// Walks from start to end, appending each vertex that at(value) gives; intermediate
// values are grid values, none closer than a fifth of the step to its neighbours.
template <typename VertexAt>
std::size_t densify(double start, double end, double origin, double step, VertexAt at) {
    at(start);
    std::size_t count = 1;
    const bool descending = start > end;
    const double base = gridValueThreeStepsBelow(std::min(start, end), origin, step);
    const double endMargin = SKIP_FRACTION * step;
    double cur = start;
    while (cur != end) {
        double next = nextIntermediateVertex(cur, descending, base, step);
        const bool nearEnd = descending ? next < end + endMargin : next > end - endMargin;
        // A walk that does not advance (a step lost against the magnitude of the
        // values, or values that are not numbers) or runs too long goes straight to
        // the end.
        const bool stalled =
            !(descending ? next < cur : next > cur) || count + 1 >= MAX_LEG_VERTICES;
        if (nearEnd || stalled) next = end;
        at(next);
        ++count;
        if (stalled) break;
        cur = next;
    }
    return count;
}

}  // namespace

double latitudeOffsetBy(double lat0, double s, double M, double R) {
    const double d = millimetresToKilometres(s, M);
    const double x = d / (R * PI_TRUNCATED) * DEGREES_PER_HALF_TURN;
    return lat0 + x;
}

double longitudeOffsetBy(double lon0, double lat, double s, double M, double R) {
    const double r = std::cos(lat / DEGREES_PER_TURN * 2.0 * PI_TRUNCATED) * R;
    const double d = millimetresToKilometres(s, M);
    const double x = d / (r * PI_TRUNCATED) * DEGREES_PER_HALF_TURN;
    return lon0 + x;
}

// std::round rounds halves away from zero, which the grid anchoring relies on.
double gridValueThreeStepsBelow(double x, double origin, double step) {
    return (std::round((x - origin) / step) - REFERENCE_BACKOFF_STEPS) * step + origin;
}

double nextIntermediateVertex(double cur, bool descending, double base, double step) {
    const double quotient = std::round((cur - base) / step);
    int walked = 0;
    if (descending) {
        double v = (quotient + NEXT_VERTEX_BACKOFF_STEPS) * step + base;
        while (v >= cur && walked++ < NEXT_VERTEX_MAX_STEPS) v = v - step;
        if ((cur - v) / step < SKIP_FRACTION) v = v - step;
        return v;
    }
    double v = (quotient - NEXT_VERTEX_BACKOFF_STEPS) * step + base;
    while (v <= cur && walked++ < NEXT_VERTEX_MAX_STEPS) v = v + step;
    if ((v - cur) / step < SKIP_FRACTION) v = v + step;
    return v;
}

std::size_t appendOffsetParallel(double lat, double s, double lonStart, double lonEnd, double M,
                                 double R, double origin, double step, VertexBuffer& out) {
    const double y = latitudeOffsetBy(lat, s, M, R);
    return densify(lonStart, lonEnd, origin, step, [&](double lon) { out.append(lon, y); });
}

std::size_t appendOffsetMeridian(double lon, double s, double latStart, double latEnd, double M,
                                 double R, double origin, double step, VertexBuffer& out) {
    return densify(latStart, latEnd, origin, step,
                   [&](double lat) { out.append(longitudeOffsetBy(lon, lat, s, M, R), lat); });
}

std::size_t appendContourParallelLeg(double s, double M, double R, bool outwardNorth, double lat,
                                     double lonA, double lonB, double lonStep, bool keepLast,
                                     VertexBuffer& out) {
    const double outward = outwardNorth ? s : -s;
    const double legLat = latitudeOffsetBy(lat, outward, M, R);
    // Each end is pushed away from the other one.
    const double push = lonA > lonB ? s : -s;
    const double lonA2 = longitudeOffsetBy(lonA, legLat, push, M, R);
    const double lonB2 = longitudeOffsetBy(lonB, legLat, -push, M, R);
    std::size_t n = appendOffsetParallel(lat, outward, lonA2, lonB2, M, R, lonA, lonStep, out);
    if (!keepLast) {
        out.dropLast();
        --n;
    }
    return n;
}

std::size_t appendContourMeridianLeg(double s, double M, double R, bool outwardEast, double lon,
                                     double latA, double latB, double latStep, bool keepLast,
                                     VertexBuffer& out) {
    const double outward = outwardEast ? s : -s;
    const double push = latA > latB ? s : -s;
    const double latA2 = latitudeOffsetBy(latA, push, M, R);
    const double latB2 = latitudeOffsetBy(latB, -push, M, R);
    std::size_t n = appendOffsetMeridian(lon, outward, latA2, latB2, M, R, latA, latStep, out);
    if (!keepLast) {
        out.dropLast();
        --n;
    }
    return n;
}

std::size_t contourVertices(double s, const FrameSheet& sheet, VertexBuffer& out) {
    const DrawingRect& r = sheet.rect;
    const double M = sheet.scale;
    const double R = sheet.radius;
    out.clear();
    appendContourParallelLeg(s, M, R, true, r.north, r.west, r.east, sheet.lonStep, false, out);
    appendContourMeridianLeg(s, M, R, true, r.east, r.north, r.south, sheet.latStep, false, out);
    appendContourParallelLeg(s, M, R, false, r.south, r.east, r.west, sheet.lonStep, false, out);
    appendContourMeridianLeg(s, M, R, false, r.west, r.south, r.north, sheet.latStep, true, out);
    return out.size();
}

DrawStatus writeFrameContour(Layer& layer, std::int32_t code, double s, const FrameSheet& sheet,
                             VertexBuffer& work) {
    contourVertices(s, sheet, work);
    return writeLine(layer, codeAttributes(code), work);
}

std::string codeAttributes(std::int32_t code) {
    return std::to_string(code) + ATTRIBUTE_SEPARATOR;
}

DrawStatus writeLine(Layer& layer, std::string attributes, const VertexBuffer& line) {
    const auto status =
        writeLineFeature(layer, std::move(attributes), std::span(line.x), std::span(line.y));
    return status == ShapeStatus::Written ? DrawStatus::Drawn : DrawStatus::NotWritten;
}

DrawStatus writeSegment(Layer& layer, std::int32_t code, Point a, Point b, VertexBuffer& work) {
    work.clear();
    work.append(a.x, a.y);
    work.append(b.x, b.y);
    return writeLine(layer, codeAttributes(code), work);
}

}  // namespace sheetbasis
