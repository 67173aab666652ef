// The 3D polyline (simple type): a list of 3D vertices, optionally closed.
#pragma once
#include <vector>
#include "dbcurve.h"

class AcDb3dPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDb3dPolyline);
  AcDb3dPolyline();
  AcDb3dPolyline(AcDb::Poly3dType type, AcGePoint3dArray& vertices,
                 Adesk::Boolean closed = Adesk::kFalse);

  Acad::ErrorStatus appendVertex(const AcGePoint3d& point);
  unsigned int numVerts() const;
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& point) const;
  Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint3d& point);
  void getVertices(AcGePoint3dArray& vertices) const;
  AcDb::Poly3dType polyType() const { return AcDb::k3dSimplePoly; }
  Acad::ErrorStatus makeClosed();
  Acad::ErrorStatus makeOpen();
  Adesk::Boolean isClosed() const override;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  void getVertexChain(AcGePoint3dArray& chain) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  std::vector<AcGePoint3d> m_points;
  bool m_closed = false;
};
