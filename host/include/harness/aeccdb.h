// The civil model's database-resident objects: TIN surfaces, COGO points and feature
// lines (model-space entities) and the drawing's civil settings (an ownerless object).
// They are filed with the drawing like every other object of the host.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dbmain.h"
#include "tintriangulation.h"
#include "tinwireframe.h"

class AeccDbSurface : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AeccDbSurface);
  const std::wstring& name() const;
  void setName(const std::wstring& name);
  // Host internals: the name read without an open check (name clashes are looked for
  // while a transaction may hold the object open for write).
  const std::wstring& peekName() const { return m_name; }
  const std::wstring& description() const;
  void setDescription(const std::wstring& description);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  AeccDbSurface() = default;

 private:
  std::wstring m_name;
  std::wstring m_description;
};

class AeccDbSurfaceTin : public AeccDbSurface {
 public:
  ACRX_DECLARE_MEMBERS(AeccDbSurfaceTin);
  // A long triangulation lets the window run now and then (its busy cursor, Esc).
  AeccDbSurfaceTin();

  // See TinTriangulation::Add; the surface must be open for write.
  void addVertices(const std::vector<AcGePoint3d>& points);
  const std::vector<AcGePoint3d>& vertices() const;
  std::size_t faceCount() const;
  std::vector<pelvarhost::civil::TinFace> faces() const;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  // The outline, one segment per hull edge: a surface is picked by its border, as the
  // clouds and objects inside it stay pickable.
  void getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const override;

 protected:
  void subList(std::vector<std::wstring>& lines) const override;
  // The surface depends on the view (see TinWireframe): worldDraw draws nothing.
  Adesk::Boolean subWorldDraw(AcGiWorldDraw* worldDraw) override;
  void subViewportDraw(AcGiViewportDraw* viewportDraw) override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;

 private:
  // Built when first drawn and kept until the vertices change.
  pelvarhost::civil::TinWireframe& wireframe() const;
  void forgetWireframe() { m_wireframe.reset(); }

  pelvarhost::civil::TinTriangulation m_tin;
  mutable std::unique_ptr<pelvarhost::civil::TinWireframe> m_wireframe;
};

class AeccDbCogoPoint : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AeccDbCogoPoint);
  AeccDbCogoPoint() = default;

  std::uint32_t pointNumber() const;
  std::uint32_t peekPointNumber() const { return m_number; }  // see AeccDbSurface::peekName
  void setPointNumber(std::uint32_t number);
  AcGePoint3d location() const;
  void setLocation(const AcGePoint3d& location);
  const std::wstring& rawDescription() const;
  void setRawDescription(const std::wstring& description);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  void getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const override;

 protected:
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  std::uint32_t m_number = 0;
  AcGePoint3d m_location;
  std::wstring m_rawDescription;
};

class AeccDbFeatureLine : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AeccDbFeatureLine);
  AeccDbFeatureLine() = default;

  const std::wstring& name() const;
  void setName(const std::wstring& name);
  const std::wstring& peekName() const { return m_name; }  // see AeccDbSurface::peekName
  const std::vector<AcGePoint3d>& points() const;
  void setPoints(std::vector<AcGePoint3d> points);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  void getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const override;

 protected:
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  std::wstring m_name;
  std::vector<AcGePoint3d> m_points;
};

// The drawing-wide civil settings: the coordinate-system code (null until set) and the
// next point number for COGO points.
class AeccDbDrawingSettings : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AeccDbDrawingSettings);
  AeccDbDrawingSettings() = default;

  bool hasCoordinateSystemCode() const;
  const std::wstring& coordinateSystemCode() const;
  // Null (false) clears the code.
  void setCoordinateSystemCode(bool hasCode, const std::wstring& code);
  std::uint32_t nextPointNumber() const;
  void setNextPointNumber(std::uint32_t number);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  bool m_hasCode = false;
  std::wstring m_code;
  std::uint32_t m_nextPointNumber = 1;
};
