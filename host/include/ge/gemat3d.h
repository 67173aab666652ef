// A 4 x 4 matrix of homogeneous 3D transformations, acting on column vectors:
// the transformed point is M * p, and A * B applies B first, then A.
#pragma once
#include "gepnt3d.h"

class AcGeMatrix3d {
 public:
  AcGeMatrix3d();  // identity

  static const AcGeMatrix3d kIdentity;

  AcGeMatrix3d& setToIdentity();
  bool isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol = AcGeContext::gTol) const;
  bool operator==(const AcGeMatrix3d& m) const { return isEqualTo(m); }
  bool operator!=(const AcGeMatrix3d& m) const { return !isEqualTo(m); }

  AcGeMatrix3d operator*(const AcGeMatrix3d& m) const;
  AcGeMatrix3d& operator*=(const AcGeMatrix3d& m) { return postMultBy(m); }
  AcGeMatrix3d& preMultBy(const AcGeMatrix3d& left);    // this = left * this
  AcGeMatrix3d& postMultBy(const AcGeMatrix3d& right);  // this = this * right
  AcGeMatrix3d& setToProduct(const AcGeMatrix3d& m1, const AcGeMatrix3d& m2);

  // The inverse; a singular matrix inverts to the identity (check isSingular first).
  AcGeMatrix3d inverse() const;
  AcGeMatrix3d& invert();
  bool isSingular(const AcGeTol& tol = AcGeContext::gTol) const;
  double det() const;
  AcGeMatrix3d transpose() const;
  AcGeMatrix3d& transposeIt();

  AcGeMatrix3d& setToTranslation(const AcGeVector3d& v);
  AcGeMatrix3d& setToRotation(double angle, const AcGeVector3d& axis,
                              const AcGePoint3d& center = AcGePoint3d::kOrigin);
  AcGeMatrix3d& setToScaling(double scale, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  AcGeMatrix3d& setToMirroring(const AcGePoint3d& point);  // point reflection
  AcGeMatrix3d& setTranslation(const AcGeVector3d& v);
  AcGeVector3d translation() const;
  double scale() const;  // largest axis scale factor

  static AcGeMatrix3d translation(const AcGeVector3d& v);
  // Right-handed rotation by `angle` radians about the axis through `center`.
  static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                               const AcGePoint3d& center = AcGePoint3d::kOrigin);
  static AcGeMatrix3d scaling(double scale, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  // Reflection through a point.
  static AcGeMatrix3d mirroring(const AcGePoint3d& point);
  // Reflection in the plane through `point` with normal `normal`.
  static AcGeMatrix3d mirroring(const AcGePoint3d& point, const AcGeVector3d& normal);

  double operator()(unsigned row, unsigned column) const { return entry[row][column]; }
  double& operator()(unsigned row, unsigned column) { return entry[row][column]; }
  const double* operator[](unsigned row) const { return entry[row]; }
  double* operator[](unsigned row) { return entry[row]; }

  double entry[4][4];
};
