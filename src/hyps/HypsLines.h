#pragma once
// Densified lines along parallels and meridians, and the closed outline of a trapezoid
// built from them. Vertices are appended to separate arrays of x (longitude) and
// y (latitude) values.

#include <cstddef>
#include <vector>

namespace sheetbasis {

// Appends the vertices (a, y), (a + d, y), ... short of (b, y), d = s towards b, and
// (b, y) itself when includeEnd is set. A vertex within grid tolerance of b counts as b.
// Returns the number of vertices appended. A step that is not positive gives the bare
// ends, as no run of such steps could reach b; a bound that is not finite gives nothing.
std::size_t appendParallel(double y, double a, double b, double s, bool includeEnd,
                           std::vector<double>& xs, std::vector<double>& ys);
// The same along the meridian x: vertices (x, a + n*d).
std::size_t appendMeridian(double x, double a, double b, double s, bool includeEnd,
                           std::vector<double>& xs, std::vector<double>& ys);
// Replaces the arrays' contents with the closed clockwise ring of the trapezoid x1..x2 by
// y1..y2 (north edge west to east, east edge, south edge, west edge back to the
// north-west corner), densified by sx and sy. Returns the number of vertices.
std::size_t trapezoidRing(double x1, double x2, double sx, double y1, double y2, double sy,
                          std::vector<double>& xs, std::vector<double>& ys);

}  // namespace sheetbasis
