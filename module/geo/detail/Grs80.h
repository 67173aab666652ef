// GRS80 ellipsoid constants and the auxiliary functions of the ellipsoidal projections.
// The constants are stored as the decimals below (not recomputed) so that every build
// gives the same bits.
#pragma once
#include <cmath>

namespace geo_detail {

inline constexpr double kSemiMajorAxis = 6378137.0;  // also the Web Mercator sphere radius
inline constexpr double kEccentricitySquared = 0.006694380022900787;
inline constexpr double kEccentricity = 0.08181919104281579;
inline constexpr double kHalfEccentricity = 0.040909595521407896;
inline constexpr double kSecondEccentricitySquared = 0.006739496775478957;
inline constexpr double kOneMinusEccentricitySquared = 0.9933056199770992;
inline constexpr double kDegree = 0.017453292519943295;  // radians per degree
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kQuarterPi = 0.7853981633974483;

// Meridian-distance series coefficients.
inline constexpr double kMeridianC0 = 0.9983242984445848;
inline constexpr double kMeridianC2 = 0.0025146070728448195;
inline constexpr double kMeridianC4 = 2.6390466202308984e-6;
inline constexpr double kMeridianC6 = 3.418046136775213e-9;

// λ − λ0, brought into [−π, π] only when it falls outside. Alaska zone 10 spans the
// antimeridian: its points at east longitudes are about 349° from its central meridian
// as given, and must be projected as the 11° west of it that they are. Within half a turn of
// the central meridian the plain difference is used unchanged.
inline double LongitudeFromCentralMeridian(double lambda, double lambda0) {
    double offset = lambda - lambda0;
    if (offset > kPi) {
        offset -= 2.0 * kPi;
    } else if (offset < -kPi) {
        offset += 2.0 * kPi;
    }
    return offset;
}

// Meridian distance from the equator to latitude phi (radians), in metres.
inline double MeridianDistance(double phi) {
    return kSemiMajorAxis * (kMeridianC0 * phi - kMeridianC2 * std::sin(2.0 * phi) +
                             kMeridianC4 * std::sin(4.0 * phi) - kMeridianC6 * std::sin(6.0 * phi));
}

// Radius of curvature in the prime vertical at latitude phi.
inline double PrimeVerticalRadius(double phi) {
    const double s = std::sin(phi);
    return kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * s * s);
}

// cos(phi) / sqrt(1 - e² sin²(phi)).
inline double ParallelRadiusFactor(double phi) {
    const double s = std::sin(phi);
    return std::cos(phi) / std::sqrt(1.0 - kEccentricitySquared * s * s);
}

// The conformal-latitude function t(phi) of the Lambert conic.
inline double ConformalT(double phi) {
    const double es = kEccentricity * std::sin(phi);
    return std::tan(kQuarterPi - phi / 2.0) / std::pow((1.0 - es) / (1.0 + es), kHalfEccentricity);
}

// The inverse latitude is refined this many times, with no convergence test.
inline constexpr int kConformalLatitudeIterations = 8;

// The latitude whose conformal function is t: π/2 − 2·atan t, then refined a fixed number of
// times, with no convergence test.
inline double LatitudeOfConformalT(double t) {
    double phi = kHalfPi - 2.0 * std::atan(t);
    for (int i = 0; i < kConformalLatitudeIterations; ++i) {
        const double es = kEccentricity * std::sin(phi);
        phi = kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - es) / (1.0 + es), kHalfEccentricity));
    }
    return phi;
}

}  // namespace geo_detail
