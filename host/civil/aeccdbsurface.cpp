// TIN surfaces: name, description and the triangulated vertices.
#include "acgi.h"
#include "aeccdb.h"
#include "civilfiling.h"
#include "dbextents.h"
#include "hostinput.h"

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

AeccDbSurfaceTin::AeccDbSurfaceTin() {
  m_tin.SetProgress([](std::size_t, std::size_t) { pelvarhost::LetWindowRunDuringWork(); });
}

void AeccDbSurfaceTin::addVertices(const std::vector<AcGePoint3d>& points) {
  assertWriteEnabled();
  forgetWireframe();
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
  forgetWireframe();
  m_tin.Clear();
  m_tin.Add(points);
  return filer->filerStatus();
}

Acad::ErrorStatus AeccDbSurfaceTin::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AeccDbSurface::dwgOutFields(filer); status != Acad::eOk) return status;
  pelvarhost::civil::WritePoints(filer, m_tin.Vertices());
  return filer->filerStatus();
}

pelvarhost::civil::TinWireframe& AeccDbSurfaceTin::wireframe() const {
  if (!m_wireframe)
    m_wireframe = std::make_unique<pelvarhost::civil::TinWireframe>(m_tin.Vertices(), m_tin.Hull(),
                                                                    [this] { return m_tin.Edges(); });
  return *m_wireframe;
}

Adesk::Boolean AeccDbSurfaceTin::subWorldDraw(AcGiWorldDraw*) { return Adesk::kFalse; }

// In the entity's colour (by layer unless set): the wireframe's segments, or the vertices
// alone while they make no triangle. Only a view that shows the edges triangulates.
void AeccDbSurfaceTin::subViewportDraw(AcGiViewportDraw* draw) {
  assertReadEnabled();
  AcGiViewportGeometry& geometry = draw->geometry();
  if (!wireframe().HasFaces()) {
    const std::vector<AcGePoint3d>& vertices = m_tin.Vertices();
    if (!vertices.empty()) geometry.polypoint(static_cast<Adesk::UInt32>(vertices.size()), vertices.data());
    return;
  }
  AcGePoint3d ends[2];
  wireframe().Draw(pelvarhost::civil::PlanViewOf(draw->viewport()), [&](const AcGePoint3d& from, const AcGePoint3d& to) {
    ends[0] = from;
    ends[1] = to;
    geometry.polyline(2, ends);
  });
}

void AeccDbSurfaceTin::getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray&) const {
  assertReadEnabled();
  wireframe().DrawOutline([&polylines](const AcGePoint3d& from, const AcGePoint3d& to) {
    AcGePoint3dArray segment;
    segment.append(from);
    segment.append(to);
    polylines.append(segment);
  });
}

Acad::ErrorStatus AeccDbSurfaceTin::subGetGeomExtents(AcDbExtents& extents) const {
  assertReadEnabled();
  if (m_tin.Vertices().empty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  for (const AcGePoint3d& vertex : m_tin.Vertices()) extents.addPoint(vertex);
  return Acad::eOk;
}

void AeccDbSurfaceTin::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(L"Name: " + name());
  lines.push_back(L"Description: " + description());
  lines.push_back(L"Points: " + std::to_wstring(m_tin.Vertices().size()));
  lines.push_back(L"Triangles: " + std::to_wstring(m_tin.FaceCount()));
}
