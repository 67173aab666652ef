// Curves: entities with a parameter along their length.
#pragma once
#include "dbmain.h"

class AcDbCurve : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCurve);
  ~AcDbCurve() override;

  virtual Adesk::Boolean isClosed() const;
  virtual Acad::ErrorStatus getStartParam(double& param) const;
  virtual Acad::ErrorStatus getEndParam(double& param) const;
  virtual Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const;
  // eInvalidInput when the parameter or distance is outside the curve.
  virtual Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
  virtual Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
  virtual Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
  virtual Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const;
  virtual Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPoint,
                                              AcGePoint3d& pointOnCurve,
                                              Adesk::Boolean extend = Adesk::kFalse) const;

 protected:
  AcDbCurve() = default;
  // Polyline-shaped curves: the vertices in order (the first repeated at the end when
  // closed); parameter i is vertex i and the parameter is linear along each segment.
  virtual void getVertexChain(AcGePoint3dArray& chain) const;
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;

 public:
  void getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const override;
};
