#include "frame/FrameContour.h"

#include <algorithm>
#include <cmath>

#include "frame/FrameSettings.h"

namespace sheetbasis {

namespace {

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

// Walks from start to end, appending each vertex that at(value) gives; intermediate
// values are grid values, none closer than a fifth of the step to its neighbours.
// Room for the vertices a walk appends, so that a line grows once rather than vertex by
// vertex: every minute bar is such a walk, and the growth was a tenth of a sheet's
// allocations. A run that is not a number reserves nothing.
void reserveForWalk(const GridRun& run, Line& line) {
    const double steps = std::abs(run.to - run.from) / run.step;
    if (steps >= 0.0 && steps < static_cast<double>(MAX_LEG_VERTICES)) {
        line.reserve(line.size() + static_cast<std::size_t>(steps) + 2);
    }
}

template <typename VertexAt>
std::size_t densify(const GridRun& run, VertexAt at) {
    const double start = run.from;
    const double end = run.to;
    const double step = run.step;
    at(start);
    std::size_t count = 1;
    const bool descending = start > end;
    const double base = gridValueThreeStepsBelow(std::min(start, end), run.origin, step);
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

double latitudeOffsetBy(const FrameSheet& sheet, double lat0, double s) {
    return latitudeAfterMapDistance({sheet.scale, sheet.radius}, lat0, s);
}

double longitudeOffsetBy(const FrameSheet& sheet, double lon0, double lat, double s) {
    return longitudeAfterMapDistance({sheet.scale, sheet.radius}, lon0, lat, s);
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

std::size_t appendOffsetParallel(const FrameSheet& sheet, double lat, double s, const GridRun& run,
                                 Line& line) {
    const double y = latitudeOffsetBy(sheet, lat, s);
    reserveForWalk(run, line);
    return densify(run, [&](double lon) { line.push_back({lon, y}); });
}

std::size_t appendOffsetMeridian(const FrameSheet& sheet, double lon, double s, const GridRun& run,
                                 Line& line) {
    reserveForWalk(run, line);
    return densify(run, [&](double lat) {
        line.push_back({longitudeOffsetBy(sheet, lon, lat, s), lat});
    });
}

std::size_t appendContourParallelLeg(const FrameSheet& sheet, double s, const ContourLeg& leg,
                                     Line& line) {
    const double outward = leg.outward ? s : -s;
    const double legLat = latitudeOffsetBy(sheet, leg.edge, outward);
    // Each end is pushed away from the other one.
    const double push = leg.from > leg.to ? s : -s;
    const GridRun run{longitudeOffsetBy(sheet, leg.from, legLat, push),
                      longitudeOffsetBy(sheet, leg.to, legLat, -push), leg.from, sheet.lonStep};
    return appendOffsetParallel(sheet, leg.edge, outward, run, line);
}

std::size_t appendContourMeridianLeg(const FrameSheet& sheet, double s, const ContourLeg& leg,
                                     Line& line) {
    const double outward = leg.outward ? s : -s;
    const double push = leg.from > leg.to ? s : -s;
    const GridRun run{latitudeOffsetBy(sheet, leg.from, push),
                      latitudeOffsetBy(sheet, leg.to, -push), leg.from, sheet.latStep};
    return appendOffsetMeridian(sheet, leg.edge, outward, run, line);
}

Line contourVertices(const FrameSheet& sheet, double s) {
    const DrawingRect& r = sheet.rect;
    Line line;
    // Each leg but the last ends where the next one begins: its last vertex is dropped.
    appendContourParallelLeg(sheet, s, {r.north, r.west, r.east, true}, line);
    line.pop_back();
    appendContourMeridianLeg(sheet, s, {r.east, r.north, r.south, true}, line);
    line.pop_back();
    appendContourParallelLeg(sheet, s, {r.south, r.east, r.west, false}, line);
    line.pop_back();
    appendContourMeridianLeg(sheet, s, {r.west, r.south, r.north, false}, line);
    return line;
}

FrameLine frameContour(const FrameSheet& sheet, std::int32_t code, double s) {
    return {contourVertices(sheet, s), code};
}

}  // namespace sheetbasis
