// TIN surfaces: name, description and the triangulated vertices.
#include "aeccdb.h"
#include "civilfiling.h"

using pelvarhost::civil::kCivilRecordVersion;

ACRX_NO_CONS_DEFINE_MEMBERS(AeccDbSurface, AcDbEntity)
ACRX_DXF_DEFINE_MEMBERS(AeccDbSurfaceTin, AeccDbSurface, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        AECC_TIN_SURFACE, "AeccLand")

const std::wstring& AeccDbSurface::name() const {
  assertReadEnabled();
  return m_name;
}

void AeccDbSurface::setName(const std::wstring& name) {
  assertWriteEnabled();
  m_name = name;
}

const std::wstring& AeccDbSurface::description() const {
  assertReadEnabled();
  return m_description;
}

void AeccDbSurface::setDescription(const std::wstring& description) {
  assertWriteEnabled();
  m_description = description;
}

Acad::ErrorStatus AeccDbSurface::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  if (Acad::ErrorStatus status = pelvarhost::civil::ReadRecordVersion(filer); status != Acad::eOk) return status;
  pelvarhost::civil::ReadWide(filer, m_name);
  pelvarhost::civil::ReadWide(filer, m_description);
  return filer->filerStatus();
}

Acad::ErrorStatus AeccDbSurface::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt16(kCivilRecordVersion);
  filer->writeString(m_name.c_str());
  filer->writeString(m_description.c_str());
  return filer->filerStatus();
}

void AeccDbSurfaceTin::addVertices(const std::vector<AcGePoint3d>& points) {
  assertWriteEnabled();
  m_tin.Add(points);
  recordGraphicsModified();
}

const std::vector<AcGePoint3d>& AeccDbSurfaceTin::vertices() const {
  assertReadEnabled();
  return m_tin.Vertices();
}

std::size_t AeccDbSurfaceTin::faceCount() const {
  assertReadEnabled();
  return m_tin.FaceCount();
}

std::vector<pelvarhost::civil::TinFace> AeccDbSurfaceTin::faces() const {
  assertReadEnabled();
  return m_tin.Faces();
}

// Only the vertices are filed: reading them back in the same order rebuilds the same
// triangulation.
Acad::ErrorStatus AeccDbSurfaceTin::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AeccDbSurface::dwgInFields(filer); status != Acad::eOk) return status;
  std::vector<AcGePoint3d> points;
  if (Acad::ErrorStatus status = pelvarhost::civil::ReadPoints(filer, points); status != Acad::eOk) return status;
  m_tin.Clear();
  m_tin.Add(points);
  return filer->filerStatus();
}

Acad::ErrorStatus AeccDbSurfaceTin::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AeccDbSurface::dwgOutFields(filer); status != Acad::eOk) return status;
  pelvarhost::civil::WritePoints(filer, m_tin.Vertices());
  return filer->filerStatus();
}

void AeccDbSurfaceTin::getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const {
  const std::vector<AcGePoint3d>& vertices = m_tin.Vertices();
  for (const pelvarhost::civil::TinFace& face : m_tin.Faces()) {
    AcGePoint3dArray triangle;
    for (std::uint32_t index : face) triangle.append(vertices[index]);
    triangle.append(vertices[face[0]]);
    polylines.append(triangle);
  }
  if (m_tin.FaceCount() == 0)
    for (const AcGePoint3d& vertex : vertices) points.append(vertex);
}

void AeccDbSurfaceTin::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(L"Name: " + name());
  lines.push_back(L"Description: " + description());
  lines.push_back(L"Points: " + std::to_wstring(m_tin.Vertices().size()));
  lines.push_back(L"Triangles: " + std::to_wstring(m_tin.FaceCount()));
}
