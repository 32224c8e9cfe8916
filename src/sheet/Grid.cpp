#include "sheet/Grid.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace sheetbasis {

namespace {

// 2^53: below it every integer is a double, so an index can be halved and floored; above
// it every double is an integer already.
constexpr double EXACT_INTEGER_LIMIT = 9007199254740992.0;

// The grid seen from its base toward v: index k is the grid value base + k*step when v
// lies above the base, base - k*step when it lies below.
struct GridWalk {
    double v;
    double base;
    double step;
    bool up;

    double at(double k) const { return up ? base + k * step : base - k * step; }
    // Whether the walk has come to v: equal within tolerance or gone past it. Grid values
    // only move toward and past v as k grows, so this holds from some index on.
    bool reached(double k) const {
        const double g = at(k);
        return equalOnGrid(g, v) || (up ? g > v : g < v);
    }
};

// The two neighbouring indices around the point where the walk reaches v.
struct Crossing {
    double before;  // greatest index that has not reached v
    double first;   // least index that has
};

// Index 0 (the base itself) must not have reached v. Found by doubling, then halving, so
// it takes a bounded number of steps even where the index exceeds 2^53. Nothing is found
// when no finite index reaches v: a step that is not positive, input that is not finite,
// or a grid so fine relative to |v - base| that the index overflows the double range.
std::optional<Crossing> findCrossing(const GridWalk& walk) {
    Crossing c{0.0, 1.0};
    while (!walk.reached(c.first)) {
        c.before = c.first;
        c.first *= 2.0;
        if (!std::isfinite(c.first)) {
            return std::nullopt;
        }
    }
    for (;;) {
        double mid = std::midpoint(c.before, c.first);
        if (mid < EXACT_INTEGER_LIMIT) {
            mid = std::floor(mid);
        }
        if (mid <= c.before || mid >= c.first) {
            return c;
        }
        (walk.reached(mid) ? c.first : c.before) = mid;
    }
}

// The grid value next to v on the side asked for (notBelow: the least one not below v,
// otherwise the greatest one not above it). Walking toward that side, the first value that
// reaches v is the answer; walking the other way it is the answer only when it equals v,
// otherwise it has already passed v and the one before it is.
double boundingGradValue(double v, double base, double step, bool notBelow) {
    if (equalOnGrid(base, v)) {
        return base;
    }
    const GridWalk walk{v, base, step, base < v};
    const std::optional<Crossing> crossing = findCrossing(walk);
    if (!crossing) {
        // No grid value with a representable index comes near v: the grid is finer there
        // than the doubles (or the input unusable), so v itself is the closest answer.
        return v;
    }
    const double g = walk.at(crossing->first);
    if (walk.up == notBelow || equalOnGrid(g, v)) {
        return g;
    }
    return walk.at(crossing->before);
}

}  // namespace

bool equalOnGrid(double a, double b) {
    return std::fabs(a - b) <= GRID_TOLERANCE;
}

double firstGridValueFrom(double v, double base, double step) {
    return boundingGradValue(v, base, step, true);
}

double lastGridValueUpTo(double v, double base, double step) {
    return boundingGradValue(v, base, step, false);
}

void addUniqueGridValue(std::vector<double>& list, double v) {
    if (std::ranges::none_of(list, [v](double listed) { return equalOnGrid(listed, v); })) {
        list.push_back(v);
    }
}

}  // namespace sheetbasis
