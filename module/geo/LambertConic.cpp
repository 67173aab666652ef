// Lambert conformal conic with two standard parallels on GRS80 (USGS Professional Paper
// 1395), with a fixed-count iteration for the inverse latitude.
#include "geo/detail/LambertConic.h"

#include <cmath>

#include "geo/detail/Grs80.h"

namespace geo_detail {

void DeriveLambertConicConstants(double phi1, double phi2, ZoneConstants& constants) {
    const double t1 = ConformalT(phi1);
    if (std::fabs(phi1 - phi2) < kSingleParallelTolerance) {
        constants.n = std::sin(phi1);
    } else {
        constants.n = (std::log(ParallelRadiusFactor(phi1)) - std::log(ParallelRadiusFactor(phi2))) /
                      (std::log(t1) - std::log(ConformalT(phi2)));
    }
    constants.aF = kSemiMajorAxis * ParallelRadiusFactor(phi1) / (constants.n * std::pow(t1, constants.n));
    constants.rho0 = constants.aF * std::pow(ConformalT(constants.phi0), constants.n);
}

void LambertConicForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y) {
    const double rho = zone.aF * std::pow(ConformalT(phi), zone.n);
    const double theta = zone.n * LongitudeFromCentralMeridian(lambda, zone.lambda0);
    x = rho * std::sin(theta);
    y = zone.rho0 - rho * std::cos(theta);
}

void LambertConicInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi) {
    const double sign = zone.n < 0 ? -1.0 : 1.0;
    const double B = zone.rho0 - y;
    const double rho = sign * std::sqrt(x * x + B * B);
    const double t = std::pow(rho / zone.aF, 1.0 / zone.n);
    const double theta = std::atan2(sign * x, sign * B);
    phi = LatitudeOfConformalT(t);
    lambda = theta / zone.n + zone.lambda0;
}

}  // namespace geo_detail
