// Power series for exp and atanh of small arguments, where they cost a few multiplications
// instead of a library call; each falls back to the library beyond its range.
#pragma once
#include <cmath>

namespace geo_detail {

// exp(x) to within a few units in the last place for |x| ≤ kSmallExpRange (Taylor series to x⁷).
inline constexpr double kSmallExpRange = 0.02;

inline double ExpOfSmall(double x) {
    if (!(std::fabs(x) <= kSmallExpRange)) return std::exp(x);
    double sum = 1.0 / 5040.0;
    for (const double inverseFactorial : {1.0 / 720.0, 1.0 / 120.0, 1.0 / 24.0, 1.0 / 6.0, 0.5, 1.0, 1.0})
        sum = sum * x + inverseFactorial;
    return sum;
}

// atanh(x) to within 3e-17 for |x| ≤ kSmallAtanhRange (odd series to x¹⁵).
inline constexpr double kSmallAtanhRange = 0.125;

inline double AtanhOfSmall(double x) {
    if (!(std::fabs(x) <= kSmallAtanhRange)) return 0.5 * std::log((1.0 + x) / (1.0 - x));
    const double x2 = x * x;
    double sum = 1.0 / 15.0;
    for (const double inverseOdd : {1.0 / 13.0, 1.0 / 11.0, 1.0 / 9.0, 1.0 / 7.0, 1.0 / 5.0, 1.0 / 3.0, 1.0})
        sum = sum * x2 + inverseOdd;
    return sum * x;
}

// atan(x) to within 2e-17 for |x| ≤ kSmallAtanRange (odd series to x¹⁷).
inline constexpr double kSmallAtanRange = 0.15;

inline double AtanOfSmall(double x) {
    if (!(std::fabs(x) <= kSmallAtanRange)) return std::atan(x);
    const double x2 = x * x;
    double sum = 1.0 / 17.0;
    for (const double signedInverseOdd : {-1.0 / 15.0, 1.0 / 13.0, -1.0 / 11.0, 1.0 / 9.0, -1.0 / 7.0, 1.0 / 5.0,
                                          -1.0 / 3.0, 1.0})
        sum = sum * x2 + signedInverseOdd;
    return sum * x;
}

// sin x and cos x to within a few units in the last place for |x| ≤ kSmallSinCosRange (Taylor
// series to x¹³ and x¹²).
inline constexpr double kSmallSinCosRange = 0.25;

inline void SinCosOfSmall(double x, double& sine, double& cosine) {
    if (!(std::fabs(x) <= kSmallSinCosRange)) {
        sine = std::sin(x);
        cosine = std::cos(x);
        return;
    }
    const double x2 = x * x;
    double s = 1.0 / 6227020800.0;  // 1/13!
    double c = 1.0 / 479001600.0;   // 1/12!
    for (const double inverseFactorial : {-1.0 / 39916800.0, 1.0 / 362880.0, -1.0 / 5040.0, 1.0 / 120.0, -1.0 / 6.0, 1.0})
        s = s * x2 + inverseFactorial;
    for (const double inverseFactorial : {-1.0 / 3628800.0, 1.0 / 40320.0, -1.0 / 720.0, 1.0 / 24.0, -0.5, 1.0})
        c = c * x2 + inverseFactorial;
    sine = s * x;
    cosine = c;
}

}  // namespace geo_detail
