// Shared behaviour of the graphics interface's primitives.
#include <cmath>
#include <numbers>
#include <vector>

#include "acgi.h"

Adesk::Boolean AcGiGeometry::circle(const AcGePoint3d& center, const double radius,
                                    const AcGeVector3d& normal) const {
  constexpr int kSegments = 64;
  AcGeVector3d n = normal.length() > 0 ? normal / normal.length() : AcGeVector3d::kZAxis;
  // Any vector not parallel to the normal gives the circle's first axis.
  AcGeVector3d helper = std::fabs(n.x) < 0.9 ? AcGeVector3d::kXAxis : AcGeVector3d::kYAxis;
  AcGeVector3d u = n.crossProduct(helper);
  u = u / u.length();
  AcGeVector3d v = n.crossProduct(u);
  std::vector<AcGePoint3d> vertices;
  for (int i = 0; i <= kSegments; ++i) {
    double a = 2 * std::numbers::pi * i / kSegments;
    vertices.push_back(center + u * (radius * std::cos(a)) + v * (radius * std::sin(a)));
  }
  return polyline(static_cast<Adesk::UInt32>(vertices.size()), vertices.data());
}
