// Points, vectors and the global tolerance.
#include <cmath>

#include "gemat3d.h"

AcGeTol AcGeContext::gTol;

const AcGeVector2d AcGeVector2d::kIdentity(0.0, 0.0);
const AcGeVector2d AcGeVector2d::kXAxis(1.0, 0.0);
const AcGeVector2d AcGeVector2d::kYAxis(0.0, 1.0);
const AcGePoint2d AcGePoint2d::kOrigin(0.0, 0.0);
const AcGeVector3d AcGeVector3d::kIdentity(0.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kXAxis(1.0, 0.0, 0.0);
const AcGeVector3d AcGeVector3d::kYAxis(0.0, 1.0, 0.0);
const AcGeVector3d AcGeVector3d::kZAxis(0.0, 0.0, 1.0);
const AcGePoint3d AcGePoint3d::kOrigin(0.0, 0.0, 0.0);

double AcGeVector2d::length() const { return std::hypot(x, y); }  // no overflow of the squares

double AcGeVector2d::angle() const {
  double a = std::atan2(y, x);
  return a < 0.0 ? a + 2.0 * AcGe::kPi : a;
}

AcGeVector2d AcGeVector2d::normal(const AcGeTol& tol) const {
  AcGeVector2d v = *this;
  return v.normalize(tol);
}

AcGeVector2d& AcGeVector2d::normalize(const AcGeTol& tol) {
  double len = length();
  if (len > tol.equalVector()) {
    x /= len;
    y /= len;
  }
  return *this;
}

bool AcGeVector2d::isZeroLength(const AcGeTol& tol) const { return length() <= tol.equalVector(); }

bool AcGeVector2d::isEqualTo(const AcGeVector2d& v, const AcGeTol& tol) const {
  return (*this - v).length() <= tol.equalVector();
}

double AcGePoint2d::distanceTo(const AcGePoint2d& p) const { return (*this - p).length(); }

bool AcGePoint2d::isEqualTo(const AcGePoint2d& p, const AcGeTol& tol) const {
  return distanceTo(p) <= tol.equalPoint();
}

double AcGeVector3d::length() const { return std::hypot(x, y, z); }  // no overflow of the squares

AcGeVector3d AcGeVector3d::crossProduct(const AcGeVector3d& v) const {
  return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
}

double AcGeVector3d::angleTo(const AcGeVector3d& v) const {
  return std::atan2(crossProduct(v).length(), dotProduct(v));
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const {
  AcGeVector3d v = *this;
  return v.normalize(tol);
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol) {
  double len = length();
  if (len > tol.equalVector()) {
    x /= len;
    y /= len;
    z /= len;
  }
  return *this;
}

AcGeVector3d AcGeVector3d::perpVector() const {
  // Cross with the axis least aligned with this vector.
  const AcGeVector3d& axis = (std::fabs(x) < std::fabs(y))
                                 ? (std::fabs(x) < std::fabs(z) ? kXAxis : kZAxis)
                                 : (std::fabs(y) < std::fabs(z) ? kYAxis : kZAxis);
  return crossProduct(axis).normal();
}

bool AcGeVector3d::isZeroLength(const AcGeTol& tol) const { return length() <= tol.equalVector(); }

bool AcGeVector3d::isEqualTo(const AcGeVector3d& v, const AcGeTol& tol) const {
  return (*this - v).length() <= tol.equalVector();
}

AcGeVector3d& AcGeVector3d::setToProduct(const AcGeMatrix3d& m, const AcGeVector3d& v) {
  AcGeVector3d r;
  for (unsigned i = 0; i < 3; ++i) r[i] = m.entry[i][0] * v.x + m.entry[i][1] * v.y + m.entry[i][2] * v.z;
  return *this = r;
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) { return setToProduct(m, *this); }

AcGeVector3d operator*(const AcGeMatrix3d& m, const AcGeVector3d& v) {
  AcGeVector3d r;
  return r.setToProduct(m, v);
}

double AcGePoint3d::distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }

bool AcGePoint3d::isEqualTo(const AcGePoint3d& p, const AcGeTol& tol) const {
  return distanceTo(p) <= tol.equalPoint();
}

AcGePoint3d& AcGePoint3d::setToProduct(const AcGeMatrix3d& m, const AcGePoint3d& p) {
  double r[4];
  for (unsigned i = 0; i < 4; ++i)
    r[i] = m.entry[i][0] * p.x + m.entry[i][1] * p.y + m.entry[i][2] * p.z + m.entry[i][3];
  if (r[3] != 1.0 && r[3] != 0.0) {
    r[0] /= r[3];
    r[1] /= r[3];
    r[2] /= r[3];
  }
  return set(r[0], r[1], r[2]);
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) { return setToProduct(m, *this); }

AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
  AcGePoint3d r;
  return r.setToProduct(m, p);
}
