// Ellipsoidal transverse Mercator (USGS series). Coordinates are metres from the false
// origin; angles are radians.
#pragma once
#include "geo/detail/ZoneConstants.h"

namespace geo_detail {

void DeriveTransverseMercatorConstants(ZoneConstants& constants);
void TransverseMercatorForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y);
void TransverseMercatorInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi);

}  // namespace geo_detail
