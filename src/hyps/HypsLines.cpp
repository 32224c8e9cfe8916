#include "hyps/HypsLines.h"

#include <cmath>
#include <cstdint>

#include "sheet/Grid.h"

namespace sheetbasis {
namespace {

// The run from a towards b along one coordinate, the other one fixed. along receives the
// running coordinate and across the fixed one, so parallels and meridians share it.
std::size_t addRun(double fixed, double a, double b, double s, bool includeEnd,
                   std::vector<double>& along, std::vector<double>& across) {
    if (!std::isfinite(a) || !std::isfinite(b)) return 0;
    const bool usableStep = std::isfinite(s) && s > 0.0;
    // Without a usable step the run could never reach b; one step of the whole length
    // still gives its two ends.
    const double step = usableStep ? s : std::abs(b - a);
    const double d = a > b ? -step : step;
    std::size_t written = 0;
    const auto put = [&](double value) {
        along.push_back(value);
        across.push_back(fixed);
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

std::size_t appendParallel(double y, double a, double b, double s, bool includeEnd,
                           std::vector<double>& xs, std::vector<double>& ys) {
    return addRun(y, a, b, s, includeEnd, xs, ys);
}

std::size_t appendMeridian(double x, double a, double b, double s, bool includeEnd,
                           std::vector<double>& xs, std::vector<double>& ys) {
    return addRun(x, a, b, s, includeEnd, ys, xs);
}

std::size_t trapezoidRing(double x1, double x2, double sx, double y1, double y2, double sy,
                          std::vector<double>& xs, std::vector<double>& ys) {
    xs.clear();
    ys.clear();
    // Each run but the last stops short of its end corner, which the next run starts on;
    // the last one ends on the north-west corner again and so closes the ring.
    appendParallel(y2, x1, x2, sx, false, xs, ys);
    appendMeridian(x2, y2, y1, sy, false, xs, ys);
    appendParallel(y1, x2, x1, sx, false, xs, ys);
    appendMeridian(x1, y1, y2, sy, true, xs, ys);
    return xs.size();
}

}  // namespace sheetbasis
