#include "planpredicates.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

namespace pelvarhost::civil::predicates_detail {

namespace {
// CGAL's filtered predicates: exact whatever the doubles (they fall back to exact
// arithmetic when their own filters are in doubt).
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
Kernel::Point_2 Point(const PlanXy& p) { return {p.x, p.y}; }
}  // namespace

int ExactOrientation(const PlanXy& a, const PlanXy& b, const PlanXy& c) {
  return static_cast<int>(CGAL::orientation(Point(a), Point(b), Point(c)));
}

int ExactInCircle(const PlanXy& a, const PlanXy& b, const PlanXy& c, const PlanXy& d) {
  return static_cast<int>(CGAL::side_of_oriented_circle(Point(a), Point(b), Point(c), Point(d)));
}

}  // namespace pelvarhost::civil::predicates_detail
