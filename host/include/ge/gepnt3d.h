// A 3D point.
#pragma once
#include "gepnt2d.h"
#include "gevec3d.h"

class AcGeMatrix3d;

class AcGePoint3d {
 public:
  AcGePoint3d() = default;
  AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

  static const AcGePoint3d kOrigin;

  AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
  AcGePoint3d& operator+=(const AcGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
  AcGePoint3d& operator-=(const AcGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }

  double distanceTo(const AcGePoint3d& p) const;
  bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const;
  bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }
  bool operator!=(const AcGePoint3d& p) const { return !isEqualTo(p); }
  double operator[](unsigned i) const { return i == 0 ? x : (i == 1 ? y : z); }
  double& operator[](unsigned i) { return i == 0 ? x : (i == 1 ? y : z); }
  AcGePoint3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }
  AcGeVector3d asVector() const { return {x, y, z}; }
  AcGePoint2d convert2d() const { return {x, y}; }

  // p = m * p, with the homogeneous divide when the matrix is projective.
  AcGePoint3d& transformBy(const AcGeMatrix3d& m);
  AcGePoint3d& setToProduct(const AcGeMatrix3d& m, const AcGePoint3d& p);

  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p);
