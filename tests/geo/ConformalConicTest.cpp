#include <gtest/gtest.h>

#include "geo/ConformalConic.h"

namespace sheetbasis {
namespace {

// Snyder, Map Projections: A Working Manual (1987), p. 296: Lambert conformal conic on the
// Clarke 1866 ellipsoid, standard parallels 33 and 45 N, origin 23 N 96 W; the point
// 35 N 75 W lies at x = 1 894 410.9 m, y = 1 564 649.5 m.
TEST(ConformalConicTest, ReproducesTheWorkedExampleOfTheManual) {
    const LambertConformalConic clarke{-96.0, 23.0, 33.0, 45.0, 6378206.4, 294.9786982};
    const Point p = projectLambertConformalConic(clarke, {-75.0, 35.0});
    EXPECT_NEAR(p.x, 1894410.9, 0.1);
    EXPECT_NEAR(p.y, 1564649.5, 0.1);
    // Longitudes counted east to 360 land in the same place.
    const Point east = projectLambertConformalConic(clarke, {285.0, 35.0});
    EXPECT_NEAR(east.x, p.x, 1e-6);
    EXPECT_NEAR(east.y, p.y, 1e-6);
}

}  // namespace
}  // namespace sheetbasis
