#include "geo/ConformalConic.h"

#include <cmath>
#include <numbers>

namespace sheetbasis {
namespace {

constexpr double DEGREES_PER_HALF_TURN = 180.0;
constexpr double DEGREES_PER_TURN = 360.0;

double radians(double degrees) {
    return degrees * std::numbers::pi / DEGREES_PER_HALF_TURN;
}

struct ConicConstants {
    double e = 0.0;
    double n = 0.0;
    double aF = 0.0;
    double rho0 = 0.0;
};

double conicM(double phi, double e) {
    const double s = e * std::sin(phi);
    return std::cos(phi) / std::sqrt(1.0 - s * s);
}

double conicT(double phi, double e) {
    const double s = e * std::sin(phi);
    return std::tan(std::numbers::pi / 4.0 - phi / 2.0) / std::pow((1.0 - s) / (1.0 + s), e / 2.0);
}

// Lambert conformal conic with two standard parallels on the ellipsoid.
ConicConstants conicConstants(const LambertConformalConic& pr) {
    const double f = 1.0 / pr.inverseFlattening;
    const double e = std::sqrt(2.0 * f - f * f);
    const double p1 = radians(pr.standardParallel1);
    const double p2 = radians(pr.standardParallel2);
    const double n = (std::log(conicM(p1, e)) - std::log(conicM(p2, e))) /
                     (std::log(conicT(p1, e)) - std::log(conicT(p2, e)));
    const double aF = pr.semiMajorAxis * conicM(p1, e) / (n * std::pow(conicT(p1, e), n));
    return {e, n, aF, aF * std::pow(conicT(radians(pr.originLatitude), e), n)};
}

}  // namespace

double longitudeFromCentre(double lon, double centre) {
    return std::remainder(lon - centre, DEGREES_PER_TURN);
}

Point projectLambertConformalConic(const LambertConformalConic& projection, const Point& lonLat) {
    const ConicConstants c = conicConstants(projection);
    const double rho = c.aF * std::pow(conicT(radians(lonLat.y), c.e), c.n);
    const double theta = c.n * radians(longitudeFromCentre(lonLat.x, projection.centralMeridian));
    return {rho * std::sin(theta), c.rho0 - rho * std::cos(theta)};
}

}  // namespace sheetbasis
