// Ellipsoidal Hotine oblique Mercator, variant A (coordinates measured from the natural
// origin, as EPSG method 9812 defines it). Coordinates are metres from the false origin;
// angles are radians.
#pragma once
#include "geo/detail/ZoneConstants.h"

namespace geo_detail {

// Fills the Hotine constants of `constants` from its centre (phi0, lambda0), its scale k0, the
// azimuth of the initial line and the angle from the rectified to the skew grid.
void DeriveHotineConstants(double azimuth, double rectifiedGridAngle, ZoneConstants& constants);
// The forward projection from the longitude's offset from the centre (radians, within
// half a turn) and the isometric latitude ψ = −ln t(φ).
void HotineFromIsometric(const ZoneConstants& zone, double dLambda, double psi, double& x, double& y);
// The same, from the Web Mercator ordinate's isometric latitude ψs of the sphere and sin φ:
// Q = H·e^(Bψ) taken as H·e^ψs·e^((B−1)ψs − B·(ψs − ψ)), whose second factor is near 1.
void HotineFromMercator(const ZoneConstants& zone, double dLambda, double expSphericalPsi, double sphericalPsi,
                        double sinPhi, double& x, double& y);
void HotineForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y);
void HotineInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi);

}  // namespace geo_detail
