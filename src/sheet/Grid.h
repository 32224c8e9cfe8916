#pragma once
// Grid values of the graticule: a grid is base + k * step for any integer k. Values are
// always computed as the base plus an integer multiple of the step, never by repeated
// addition, so that rounding does not accumulate along a sheet.

#include <vector>

namespace sheetbasis {

// A longitude step and a latitude step in degrees.
struct AngleSteps {
    double lon = 0.0;
    double lat = 0.0;
};

// The latitudes of the graticule parallels and the longitudes of its meridians, ascending.
struct GraticuleValues {
    std::vector<double> parallels;
    std::vector<double> meridians;
};

// 1/6000 degree = 0.01 minute: two angles closer than this are the same grid value.
inline constexpr double GRID_TOLERANCE = 0.00016666666666666666;

// True when |a - b| <= GRID_TOLERANCE.
bool equalOnGrid(double a, double b);
// The least grid value base + k*step not below v (a value equal to v within tolerance
// counts as v). step must be positive; terminates for any input. Where no grid index
// representable as a double reaches v (a step that is not positive, input that is not
// finite, |v - base| / step beyond the double range) v itself is returned.
double firstGridValueFrom(double v, double base, double step);
// The greatest grid value base + k*step not above v, with the same tolerance.
double lastGridValueUpTo(double v, double base, double step);
// Appends v unless a value equal to it within tolerance is already listed.
void addUniqueGridValue(std::vector<double>& list, double v);

}  // namespace sheetbasis
