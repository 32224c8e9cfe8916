#include "hyps/HypsLines.h"

#include <cmath>
#include <cstdint>

namespace sheetbasis {
namespace {

// The run from a towards b along one coordinate, the other one fixed; vertexAt turns the
// running value into a vertex, so parallels and meridians share it.
template <typename VertexAt>
std::size_t addRun(double a, double b, double s, bool includeEnd, Line& line, VertexAt vertexAt) {
    if (!std::isfinite(a) || !std::isfinite(b)) return 0;
    const bool usableStep = std::isfinite(s) && s > 0.0;
    // Without a usable step the run could never reach b; one step of the whole length
    // still gives its two ends.
    const double step = usableStep ? s : std::abs(b - a);
    const double d = a > b ? -step : step;
    std::size_t written = 0;
    const auto put = [&](double value) {
        line.push_back(vertexAt(value));
        ++written;
    };
    for (std::int64_t n = 0;; ++n) {
        const double value = a + static_cast<double>(n) * d;
        const bool reached = equalOnGrid(value, b) || (d > 0.0 ? value > b : value < b);
        if (reached) {
            if (includeEnd) put(b);
            return written;
        }
        put(value);
    }
}

}  // namespace

std::size_t appendParallel(double y, double a, double b, double s, bool includeEnd, Line& line) {
    return addRun(a, b, s, includeEnd, line, [y](double x) { return Point{x, y}; });
}

std::size_t appendMeridian(double x, double a, double b, double s, bool includeEnd, Line& line) {
    return addRun(a, b, s, includeEnd, line, [x](double y) { return Point{x, y}; });
}

Line trapezoidRing(const DrawingRect& trapezoid, const AngleSteps& steps) {
    const DrawingRect& t = trapezoid;
    Line ring;
    // Each run but the last stops short of its end corner, which the next run starts on;
    // the last one ends on the north-west corner again and so closes the ring.
    appendParallel(t.north, t.west, t.east, steps.lon, false, ring);
    appendMeridian(t.east, t.north, t.south, steps.lat, false, ring);
    appendParallel(t.south, t.east, t.west, steps.lon, false, ring);
    appendMeridian(t.west, t.south, t.north, steps.lat, true, ring);
    return ring;
}

}  // namespace sheetbasis
