// Exact-sign plan predicates for the TIN's triangulation. Each first evaluates in doubles
// and returns that sign when it is certain (an error bound in the manner of Shewchuk's
// adaptive predicates, widened for underflow); only the rare doubtful case is handed to
// an exact evaluation.
#pragma once
#include <cmath>

namespace pelvarhost::civil {

struct PlanXy {
  double x, y;
};

namespace predicates_detail {
inline constexpr double kEpsilon = 0x1p-53;  // half an ulp of 1
inline constexpr double kOrientationBound = (3 + 16 * kEpsilon) * kEpsilon;
inline constexpr double kInCircleBound = (10 + 96 * kEpsilon) * kEpsilon;
// Covers the absolute error of products that fall below the normal range. (An overflow
// makes a bound infinite or not a number, so the comparison with it fails: exact then.)
inline constexpr double kUnderflowSlack = 0x1p-1000;

int ExactOrientation(const PlanXy& a, const PlanXy& b, const PlanXy& c);
int ExactInCircle(const PlanXy& a, const PlanXy& b, const PlanXy& c, const PlanXy& d);

inline int SignOf(double value) { return (value > 0) - (value < 0); }
}  // namespace predicates_detail

// +1 when a, b, c turn counter-clockwise, -1 clockwise, 0 when collinear.
inline int Orientation(const PlanXy& a, const PlanXy& b, const PlanXy& c) {
  using namespace predicates_detail;
  const double left = (a.x - c.x) * (b.y - c.y);
  const double right = (a.y - c.y) * (b.x - c.x);
  const double determinant = left - right;
  const double bound = kOrientationBound * (std::fabs(left) + std::fabs(right)) + kUnderflowSlack;
  if (std::fabs(determinant) > bound) return SignOf(determinant);
  return ExactOrientation(a, b, c);
}

// +1 when d lies strictly inside the circle through the counter-clockwise a, b, c, -1
// strictly outside, 0 on it.
inline int InCircle(const PlanXy& a, const PlanXy& b, const PlanXy& c, const PlanXy& d) {
  using namespace predicates_detail;
  const double adx = a.x - d.x, ady = a.y - d.y, bdx = b.x - d.x, bdy = b.y - d.y, cdx = c.x - d.x, cdy = c.y - d.y;
  const double bc = bdx * cdy, cb = cdx * bdy, ca = cdx * ady, ac = adx * cdy, ab = adx * bdy, ba = bdx * ady;
  const double aLift = adx * adx + ady * ady, bLift = bdx * bdx + bdy * bdy, cLift = cdx * cdx + cdy * cdy;
  const double determinant = aLift * (bc - cb) + bLift * (ca - ac) + cLift * (ab - ba);
  const double permanent = (std::fabs(bc) + std::fabs(cb)) * aLift + (std::fabs(ca) + std::fabs(ac)) * bLift +
                           (std::fabs(ab) + std::fabs(ba)) * cLift;
  const double slack = kUnderflowSlack * (1 + aLift + bLift + cLift + std::fabs(bc) + std::fabs(cb) + std::fabs(ca) +
                                          std::fabs(ac) + std::fabs(ab) + std::fabs(ba));
  const double bound = kInCircleBound * permanent + slack;
  if (std::fabs(determinant) > bound) return SignOf(determinant);
  return ExactInCircle(a, b, c, d);
}

}  // namespace pelvarhost::civil
