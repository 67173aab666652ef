// Ellipsoidal Hotine oblique Mercator, variant A (coordinates measured from the natural
// origin, as EPSG method 9812 defines it). Coordinates are metres from the false origin;
// angles are radians.
#pragma once
#include "geo/detail/ZoneConstants.h"

namespace geo_detail {

// Fills the Hotine constants of `constants` from its centre (phi0, lambda0 on entry, the
// latter replaced by the natural origin's longitude), its scale k0, the azimuth of the initial
// line and the angle from the rectified to the skew grid.
void DeriveHotineConstants(double azimuth, double rectifiedGridAngle, ZoneConstants& constants);
void HotineForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y);
void HotineInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi);

}  // namespace geo_detail
