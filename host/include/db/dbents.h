// The host's basic entities: line and point (and the curves of their own headers).
#pragma once
#include "db3dpoly.h"
#include "dbcurve.h"
#include "dbpl.h"

class AcDbLine : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLine);
  AcDbLine();
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end);

  AcGePoint3d startPoint() const;
  AcGePoint3d endPoint() const;
  Acad::ErrorStatus setStartPoint(const AcGePoint3d& point);
  Acad::ErrorStatus setEndPoint(const AcGePoint3d& point);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  void getVertexChain(AcGePoint3dArray& chain) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  AcGePoint3d m_start;
  AcGePoint3d m_end;
};

class AcDbPoint : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPoint);
  AcDbPoint();
  explicit AcDbPoint(const AcGePoint3d& position);

  AcGePoint3d position() const;
  Acad::ErrorStatus setPosition(const AcGePoint3d& position);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  void getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const override;

 protected:
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  AcGePoint3d m_position;
};
