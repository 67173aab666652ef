// The TIN's plan predicates against CGAL's exact ones where doubles go wrong: points a
// few ulps off a line or a circle, far from the origin, and at scales where products
// underflow or overflow.
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <gtest/gtest.h>

#include <cmath>

#include "planpredicates.h"

namespace {

using pelvarhost::civil::PlanXy;
using Exact = CGAL::Exact_predicates_exact_constructions_kernel;

Exact::Point_2 ExactPoint(const PlanXy& p) { return {p.x, p.y}; }

// Nudges p by i and j ulps of its coordinates.
PlanXy Nudged(PlanXy p, int i, int j) {
  for (; i > 0; --i) p.x = std::nextafter(p.x, HUGE_VAL);
  for (; i < 0; ++i) p.x = std::nextafter(p.x, -HUGE_VAL);
  for (; j > 0; --j) p.y = std::nextafter(p.y, HUGE_VAL);
  for (; j < 0; ++j) p.y = std::nextafter(p.y, -HUGE_VAL);
  return p;
}

}  // namespace

TEST(PlanPredicates, AgreeWithExactArithmeticOnNearlyDegeneratePoints) {
  struct Case {
    const char* name;
    double scale, offset;
  };
  for (const Case& c : {Case{"unit", 1, 0}, Case{"far from the origin", 1, 1e6}, Case{"tiny", 1e-300, 0},
                        Case{"subnormal products", 1e-160, 0}, Case{"subnormal lifts", 1e-80, 0},
                        Case{"huge", 1e300, 0}, Case{"huge and far", 1e150, 1e165}}) {
    SCOPED_TRACE(c.name);
    const auto at = [&c](double x, double y) { return PlanXy{x * c.scale + c.offset, y * c.scale + c.offset}; };
    // Three points of a line, and four of the circle x^2 + y^2 = 25.
    const PlanXy q = at(12, 12), r = at(24, 24), a = at(5, 0), b = at(3, 4), d = at(-4, 3), e = at(0, -5);
    for (int i = -6; i <= 6; ++i) {
      for (int j = -6; j <= 6; ++j) {
        const PlanXy p = Nudged(at(0.5, 0.5), i, j), f = Nudged(e, i, j);
        ASSERT_EQ(pelvarhost::civil::Orientation(p, q, r),
                  static_cast<int>(CGAL::orientation(ExactPoint(p), ExactPoint(q), ExactPoint(r))))
            << i << ' ' << j;
        ASSERT_EQ(pelvarhost::civil::InCircle(a, b, d, f),
                  static_cast<int>(CGAL::side_of_oriented_circle(ExactPoint(a), ExactPoint(b), ExactPoint(d), ExactPoint(f))))
            << i << ' ' << j;
      }
    }
  }
}
