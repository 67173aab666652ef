// Ellipsoidal transverse Mercator (USGS series). Coordinates are metres from the false
// origin; angles are radians.
#pragma once
#include "geo/detail/Grs80.h"
#include "geo/detail/ZoneConstants.h"

namespace geo_detail {

void DeriveTransverseMercatorConstants(ZoneConstants& constants);
// The forward series from the longitude's offset from the central meridian (radians, within
// half a turn) and the latitude with its trigonometry.
void TransverseMercatorSeries(const ZoneConstants& zone, double dLambda, const LatitudeTrig& lat, double& x, double& y);
void TransverseMercatorForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y);
void TransverseMercatorInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi);

}  // namespace geo_detail
