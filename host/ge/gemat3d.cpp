// 4 x 4 homogeneous matrices.
#include "gemat3d.h"

#include <algorithm>
#include <cmath>
#include <utility>

const AcGeMatrix3d AcGeMatrix3d::kIdentity;

AcGeMatrix3d::AcGeMatrix3d() { setToIdentity(); }

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) entry[i][j] = (i == j) ? 1.0 : 0.0;
  return *this;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol) const {
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j)
      if (std::fabs(entry[i][j] - m.entry[i][j]) > tol.equalVector()) return false;
  return true;
}

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
  AcGeMatrix3d r;
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (unsigned k = 0; k < 4; ++k) sum += entry[i][k] * m.entry[k][j];
      r.entry[i][j] = sum;
    }
  return r;
}

AcGeMatrix3d& AcGeMatrix3d::preMultBy(const AcGeMatrix3d& left) { return *this = left * *this; }
AcGeMatrix3d& AcGeMatrix3d::postMultBy(const AcGeMatrix3d& right) { return *this = *this * right; }

AcGeMatrix3d& AcGeMatrix3d::setToProduct(const AcGeMatrix3d& m1, const AcGeMatrix3d& m2) {
  return *this = m1 * m2;
}

namespace {
// Gauss-Jordan elimination with partial pivoting on a copy; false when singular.
bool InvertInto(const AcGeMatrix3d& m, AcGeMatrix3d& out, double tolerance) {
  double a[4][8];
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) {
      a[i][j] = m.entry[i][j];
      a[i][j + 4] = (i == j) ? 1.0 : 0.0;
    }
  for (unsigned col = 0; col < 4; ++col) {
    unsigned pivot = col;
    for (unsigned r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    if (std::fabs(a[pivot][col]) <= tolerance) return false;
    if (pivot != col)
      for (unsigned j = 0; j < 8; ++j) std::swap(a[pivot][j], a[col][j]);
    double p = a[col][col];
    for (unsigned j = 0; j < 8; ++j) a[col][j] /= p;
    for (unsigned r = 0; r < 4; ++r) {
      if (r == col || a[r][col] == 0.0) continue;
      double f = a[r][col];
      for (unsigned j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
    }
  }
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) out.entry[i][j] = a[i][j + 4];
  return true;
}

constexpr double kSingularTolerance = 1.0e-300;
}  // namespace

AcGeMatrix3d AcGeMatrix3d::inverse() const {
  AcGeMatrix3d r;
  if (!InvertInto(*this, r, kSingularTolerance)) r.setToIdentity();
  return r;
}

AcGeMatrix3d& AcGeMatrix3d::invert() { return *this = inverse(); }

double AcGeMatrix3d::det() const {
  // Laplace expansion along the first row over 3 x 3 minors.
  auto minor3 = [this](unsigned skipCol) {
    double m[3][3];
    for (unsigned i = 1; i < 4; ++i)
      for (unsigned j = 0, c = 0; j < 4; ++j)
        if (j != skipCol) m[i - 1][c++] = entry[i][j];
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  double d = 0.0;
  for (unsigned j = 0; j < 4; ++j) d += ((j % 2) ? -1.0 : 1.0) * entry[0][j] * minor3(j);
  return d;
}

bool AcGeMatrix3d::isSingular(const AcGeTol& tol) const {
  AcGeMatrix3d unused;
  return !InvertInto(*this, unused, tol.equalPoint());
}

AcGeMatrix3d AcGeMatrix3d::transpose() const {
  AcGeMatrix3d r;
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) r.entry[i][j] = entry[j][i];
  return r;
}

AcGeMatrix3d& AcGeMatrix3d::transposeIt() { return *this = transpose(); }

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& v) {
  setToIdentity();
  return setTranslation(v);
}

AcGeMatrix3d& AcGeMatrix3d::setTranslation(const AcGeVector3d& v) {
  entry[0][3] = v.x;
  entry[1][3] = v.y;
  entry[2][3] = v.z;
  return *this;
}

AcGeVector3d AcGeMatrix3d::translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }

double AcGeMatrix3d::scale() const {
  double best = 0.0;
  for (unsigned j = 0; j < 3; ++j) {
    AcGeVector3d column(entry[0][j], entry[1][j], entry[2][j]);
    best = std::max(best, column.length());
  }
  return best;
}

AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis,
                                          const AcGePoint3d& center) {
  // Rodrigues' formula for the linear part, then conjugation by the centre's translation.
  AcGeVector3d u = axis.normal();
  double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  setToIdentity();
  entry[0][0] = t * u.x * u.x + c;
  entry[0][1] = t * u.x * u.y - s * u.z;
  entry[0][2] = t * u.x * u.z + s * u.y;
  entry[1][0] = t * u.x * u.y + s * u.z;
  entry[1][1] = t * u.y * u.y + c;
  entry[1][2] = t * u.y * u.z - s * u.x;
  entry[2][0] = t * u.x * u.z - s * u.y;
  entry[2][1] = t * u.y * u.z + s * u.x;
  entry[2][2] = t * u.z * u.z + c;
  AcGeVector3d cv = center.asVector();
  return setTranslation(cv - (*this * cv));
}

AcGeMatrix3d& AcGeMatrix3d::setToScaling(double scale, const AcGePoint3d& center) {
  setToIdentity();
  for (unsigned i = 0; i < 3; ++i) entry[i][i] = scale;
  return setTranslation(center.asVector() * (1.0 - scale));
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePoint3d& point) { return setToScaling(-1.0, point); }

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) {
  AcGeMatrix3d m;
  return m.setToTranslation(v);
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
  AcGeMatrix3d m;
  return m.setToRotation(angle, axis, center);
}

AcGeMatrix3d AcGeMatrix3d::scaling(double scale, const AcGePoint3d& center) {
  AcGeMatrix3d m;
  return m.setToScaling(scale, center);
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& point) {
  AcGeMatrix3d m;
  return m.setToMirroring(point);
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& point, const AcGeVector3d& normal) {
  // Householder reflection I - 2 n n^T about the plane through `point`.
  AcGeVector3d n = normal.normal();
  AcGeMatrix3d m;
  for (unsigned i = 0; i < 3; ++i)
    for (unsigned j = 0; j < 3; ++j) m.entry[i][j] = ((i == j) ? 1.0 : 0.0) - 2.0 * n[i] * n[j];
  AcGeVector3d p = point.asVector();
  return m.setTranslation(p - (m * p));
}
