// Ellipsoidal Lambert conformal conic with two standard parallels. Coordinates are metres
// from the false origin; angles are radians.
#pragma once
#include "geo/detail/ZoneConstants.h"

namespace geo_detail {

// Below this difference of the standard parallels (radians) the cone constant is sin φ1.
inline constexpr double kSingleParallelTolerance = 1e-12;

void DeriveLambertConicConstants(double phi1, double phi2, ZoneConstants& constants);
void LambertConicForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y);
void LambertConicInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi);

}  // namespace geo_detail
