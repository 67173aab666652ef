// Hotine oblique Mercator, variant A, on GRS80 (the closed forms of EPSG Guidance Note 7-2),
// with the latitude of the inverse found from its conformal function like the conic's.
#include "geo/detail/HotineObliqueMercator.h"

#include <cmath>

#include "geo/detail/Grs80.h"
#include "geo/detail/SmallSeries.h"

namespace geo_detail {

void DeriveHotineConstants(double azimuth, double rectifiedGridAngle, ZoneConstants& constants) {
    const double phiC = constants.phi0;
    const double sinC = std::sin(phiC);
    const double cosC = std::cos(phiC);
    const double cos2 = cosC * cosC;
    const double oneMinusE2Sin2 = 1.0 - kEccentricitySquared * sinC * sinC;
    const double B = std::sqrt(1.0 + kEccentricitySquared * cos2 * cos2 / kOneMinusEccentricitySquared);
    const double D = B * std::sqrt(kOneMinusEccentricitySquared) / (cosC * std::sqrt(oneMinusE2Sin2));
    const double root = D > 1.0 ? std::sqrt(D * D - 1.0) : 0.0;
    const double F = D + std::copysign(root, phiC);
    const double gamma0 = std::asin(std::sin(azimuth) / D);
    constants.hotineB = B;
    constants.hotineA = kSemiMajorAxis * B * constants.k0 * std::sqrt(kOneMinusEccentricitySquared) / oneMinusE2Sin2;
    constants.hotineH = F * std::pow(ConformalT(phiC), B);
    constants.hotineScale = constants.hotineA / B;
    constants.sinGamma0 = std::sin(gamma0);
    constants.cosGamma0 = std::cos(gamma0);
    constants.sinGammaC = std::sin(rectifiedGridAngle);
    constants.cosGammaC = std::cos(rectifiedGridAngle);
    const double G = (F - 1.0 / F) / 2.0;
    // λ0 stays the centre's longitude; the natural origin lies B(λc − λ0) of it.
    constants.hotineOriginOffset = std::asin(G * std::tan(gamma0));
    constants.sinOriginOffset = std::sin(constants.hotineOriginOffset);
    constants.cosOriginOffset = std::cos(constants.hotineOriginOffset);
    // The angle B·u/A of the centre, about which every u of the zone lies.
    constants.hotineCentreAngle = std::copysign(std::atan(root / std::cos(azimuth)), phiC);
    constants.tanCentreAngle = std::tan(constants.hotineCentreAngle);
}

namespace {

// atan2(y, x) for points of the zone, whose angles lie near the centre's θc: θc plus the
// small angle between them by its series, or the library's atan2 far from it.
double AngleNearCentre(const ZoneConstants& zone, double y, double x) {
    const double across = x + zone.tanCentreAngle * y;
    if (x > 0 && across > 0) {
        const double w = (y - zone.tanCentreAngle * x) / across;
        if (std::fabs(w) <= kSmallAtanRange) return zone.hotineCentreAngle + AtanOfSmall(w);
    }
    return std::atan2(y, x);
}

// From Q = H / tᴮ of a latitude and the longitude's offset from the centre (radians, within
// half a turn): the skew grid's (u, v) turned onto the rectified grid. B(λ − λ0) is taken as
// B(λ − λc) plus the natural origin's offset, the first small enough for short series.
void HotineFromConformal(const ZoneConstants& zone, double Q, double dLambda, double& x, double& y) {
    double sinNear = 0, cosNear = 0;
    SinCosOfSmall(zone.hotineB * dLambda, sinNear, cosNear);
    const double V = sinNear * zone.cosOriginOffset + cosNear * zone.sinOriginOffset;
    const double cosBLambda = cosNear * zone.cosOriginOffset - sinNear * zone.sinOriginOffset;
    // S = (Q − 1/Q)/2 and T = (Q + 1/Q)/2 enter only as S/T, V/T and the ratio in u's angle,
    // so all are taken over Q² + 1 with one division.
    const double Q2 = Q * Q;
    const double inverse = 1.0 / (Q2 + 1.0);
    const double overT = 2.0 * Q * inverse;
    const double sOverT = (Q2 - 1.0) * inverse;
    const double U = sOverT * zone.sinGamma0 - V * overT * zone.cosGamma0;
    const double v = -zone.hotineScale * AtanhOfSmall(U);
    const double u = zone.hotineScale * AngleNearCentre(zone, (Q2 - 1.0) * zone.cosGamma0 + 2.0 * Q * V * zone.sinGamma0,
                                                        2.0 * Q * cosBLambda);
    x = v * zone.cosGammaC + u * zone.sinGammaC;
    y = u * zone.cosGammaC - v * zone.sinGammaC;
}

}  // namespace

void HotineFromIsometric(const ZoneConstants& zone, double dLambda, double psi, double& x, double& y) {
    HotineFromConformal(zone, zone.hotineH * std::exp(zone.hotineB * psi), dLambda, x, y);
}

void HotineFromMercator(const ZoneConstants& zone, double dLambda, double expSphericalPsi, double sphericalPsi,
                        double sinPhi, double& x, double& y) {
    const double small = (zone.hotineB - 1.0) * sphericalPsi - zone.hotineB * IsometricCorrection(sinPhi);
    HotineFromConformal(zone, zone.hotineH * expSphericalPsi * ExpOfSmall(small), dLambda, x, y);
}

void HotineForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y) {
    HotineFromIsometric(zone, LongitudeFromCentralMeridian(lambda, zone.lambda0), IsometricLatitude(phi), x, y);
}

void HotineInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi) {
    const double v = x * zone.cosGammaC - y * zone.sinGammaC;
    const double u = y * zone.cosGammaC + x * zone.sinGammaC;
    const double Q = std::exp(-zone.hotineB * v / zone.hotineA);
    const double S = (Q - 1.0 / Q) / 2.0;
    const double T = (Q + 1.0 / Q) / 2.0;
    const double bu = zone.hotineB * u / zone.hotineA;
    const double V = std::sin(bu);
    const double U = (V * zone.cosGamma0 + S * zone.sinGamma0) / T;
    const double t = std::pow(zone.hotineH / std::sqrt((1.0 + U) / (1.0 - U)), 1.0 / zone.hotineB);
    phi = LatitudeOfConformalT(t);
    lambda = zone.lambda0 -
             (zone.hotineOriginOffset + std::atan2(S * zone.cosGamma0 - V * zone.sinGamma0, std::cos(bu))) / zone.hotineB;
}

}  // namespace geo_detail
