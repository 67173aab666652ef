// The lightweight polyline: 2D vertices at one elevation, optionally closed.
#pragma once
#include <vector>
#include "dbcurve.h"

class AcDbPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPolyline);
  AcDbPolyline();
  explicit AcDbPolyline(unsigned int numVerts);

  // Inserts a vertex before `index` (index == numVerts appends). Bulge and widths are
  // kept for the host's signature; this host draws straight segments only.
  Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge = 0.0,
                                double startWidth = -1.0, double endWidth = -1.0);
  Acad::ErrorStatus removeVertexAt(unsigned int index);
  unsigned int numVerts() const;
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& point) const;
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& point) const;
  Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& point);
  void setClosed(Adesk::Boolean closed);
  Adesk::Boolean isClosed() const override;
  double elevation() const;
  void setElevation(double elevation);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  void getVertexChain(AcGePoint3dArray& chain) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  std::vector<AcGePoint2d> m_points;
  double m_elevation = 0.0;
  bool m_closed = false;
};
