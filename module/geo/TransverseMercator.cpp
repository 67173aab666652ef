// Transverse Mercator on GRS80 by the series of USGS Professional Paper 1395, with the
// footpoint-latitude inverse.
#include "geo/detail/TransverseMercator.h"

#include <cmath>

#include "geo/detail/Grs80.h"

namespace geo_detail {
namespace {

// Products of e′² that the series use, stored as these decimals.
constexpr double k58SecondEccentricitySquared = 0.3908908129777795;
constexpr double k330SecondEccentricitySquared = 2.224033935908056;
constexpr double k9SecondEccentricitySquared = 0.060655470979310615;
constexpr double k252SecondEccentricitySquared = 1.6983531874206972;
constexpr double k8SecondEccentricitySquared = 0.05391597420383166;

// a·c0, the divisor that turns a meridian distance into the rectifying latitude.
constexpr double kRectifyingDivisor = 6367449.145908449;
// a(1 − e²), the numerator of the meridian radius of curvature.
constexpr double kMeridianRadiusNumerator = 6335439.327083875;

// The footpoint latitude of rectifying latitude mu.
double FootpointLatitude(double mu) {
    const double root = std::sqrt(kOneMinusEccentricitySquared);
    const double e1 = (1.0 - root) / (1.0 + root);
    const double e1Squared = e1 * e1;
    const double e1Cubed = e1Squared * e1;
    const double e1Fourth = e1Squared * e1Squared;
    return mu + (3.0 * e1 / 2.0 - 27.0 * e1Cubed / 32.0) * std::sin(2.0 * mu) +
           (21.0 * e1Squared / 16.0 - 55.0 * e1Fourth / 32.0) * std::sin(4.0 * mu) +
           (151.0 * e1Cubed / 96.0) * std::sin(6.0 * mu) + (1097.0 * e1Fourth / 512.0) * std::sin(8.0 * mu);
}

}  // namespace

void DeriveTransverseMercatorConstants(ZoneConstants& constants) {
    constants.meridianAtOrigin = MeridianDistance(constants.phi0);
}

void TransverseMercatorSeries(const ZoneConstants& zone, double dLambda, const LatitudeTrig& lat, double& x, double& y) {
    const double T = lat.tan * lat.tan;
    const double C = kSecondEccentricitySquared * lat.cos * lat.cos;
    const double A = dLambda * lat.cos;
    const double N = kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * lat.sin * lat.sin);
    const double A2 = A * A;
    const double A3 = A2 * A;
    const double A4 = A2 * A2;
    const double A5 = A4 * A;
    const double A6 = A4 * A2;

    x = zone.k0 * N *
        (A + (1.0 - T + C) * A3 / 6.0 + (5.0 - 18.0 * T + T * T + 72.0 * C - k58SecondEccentricitySquared) * A5 / 120.0);
    y = zone.k0 * (MeridianDistance(lat) - zone.meridianAtOrigin +
                   N * lat.tan *
                       (A2 / 2.0 + (5.0 - T + 9.0 * C + 4.0 * C * C) * A4 / 24.0 +
                        (61.0 - 58.0 * T + T * T + 600.0 * C - k330SecondEccentricitySquared) * A6 / 720.0));
}

void TransverseMercatorForward(const ZoneConstants& zone, double lambda, double phi, double& x, double& y) {
    TransverseMercatorSeries(zone, LongitudeFromCentralMeridian(lambda, zone.lambda0), TrigOf(phi), x, y);
}

void TransverseMercatorInverse(const ZoneConstants& zone, double x, double y, double& lambda, double& phi) {
    const double mu = (zone.meridianAtOrigin + y / zone.k0) / kRectifyingDivisor;
    const double phiF = FootpointLatitude(mu);
    const double sinF = std::sin(phiF);
    const double cosF = std::cos(phiF);
    const double tanF = std::tan(phiF);
    const double C1 = kSecondEccentricitySquared * cosF * cosF;
    const double T1 = tanF * tanF;
    const double N1 = PrimeVerticalRadius(phiF);
    const double R1 = kMeridianRadiusNumerator / std::pow(1.0 - kEccentricitySquared * sinF * sinF, 1.5);
    const double D = x / (N1 * zone.k0);
    const double D2 = D * D;
    const double D3 = D2 * D;
    const double D4 = D2 * D2;
    const double D5 = D4 * D;
    const double D6 = D4 * D2;

    phi = phiF - (N1 * tanF / R1) *
                     (D2 / 2.0 -
                      (5.0 + 3.0 * T1 + 10.0 * C1 - 4.0 * C1 * C1 - k9SecondEccentricitySquared) * D4 / 24.0 +
                      (61.0 + 90.0 * T1 + 298.0 * C1 + 45.0 * T1 * T1 - k252SecondEccentricitySquared -
                       3.0 * C1 * C1) *
                          D6 / 720.0);
    lambda = zone.lambda0 + (D - (1.0 + 2.0 * T1 + C1) * D3 / 6.0 +
                             (5.0 - 2.0 * C1 + 28.0 * T1 - 3.0 * C1 * C1 + k8SecondEccentricitySquared +
                              24.0 * T1 * T1) *
                                 D5 / 120.0) /
                                cosF;
}

}  // namespace geo_detail
