// Hotine oblique Mercator, variant A, on GRS80 (the closed forms of EPSG Guidance Note 7-2),
// with the latitude of the inverse found from its conformal function like the conic's.
#include "geo/detail/HotineObliqueMercator.h"

#include <cmath>

#include "geo/detail/Grs80.h"

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
    constants.sinGamma0 = std::sin(gamma0);
    constants.cosGamma0 = std::cos(gamma0);
    constants.sinGammaC = std::sin(rectifiedGridAngle);
    constants.cosGammaC = std::cos(rectifiedGridAngle);
    const double G = (F - 1.0 / F) / 2.0;
    constants.lambda0 -= std::asin(G * std::tan(gamma0)) / B;
}

namespace {

// From Q = H / tᴮ of a latitude and the longitude term B(λ − λ0): the skew grid's (u, v)
// turned onto the rectified grid.
void HotineFromConformal(const ZoneConstants& zone, double Q, double bLambda, double& x, double& y) {
    const double S = (Q - 1.0 / Q) / 2.0;
    const double T = (Q + 1.0 / Q) / 2.0;
    const double V = std::sin(bLambda);
    const double U = (S * zone.sinGamma0 - V * zone.cosGamma0) / T;
    const double scale = zone.hotineA / zone.hotineB;
    const double v = scale * 0.5 * std::log((1.0 - U) / (1.0 + U));
    const double u = scale * std::atan2(S * zone.cosGamma0 + V * zone.sinGamma0, std::cos(bLambda));
    x = v * zone.cosGammaC + u * zone.sinGammaC;
    y = u * zone.cosGammaC - v * zone.sinGammaC;
}

}  // namespace

void HotineForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y) {
    const double Q = zone.hotineH / std::pow(ConformalT(phi), zone.hotineB);
    HotineFromConformal(zone, Q, zone.hotineB * LongitudeFromCentralMeridian(lambda, zone.lambda0), x, y);
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
    lambda = zone.lambda0 - std::atan2(S * zone.cosGamma0 - V * zone.sinGamma0, std::cos(bu)) / zone.hotineB;
}

}  // namespace geo_detail
