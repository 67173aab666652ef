// Feature lines: a name and a 3D vertex chain.
#include "aeccdb.h"
#include "civilfiling.h"

ACRX_DXF_DEFINE_MEMBERS(AeccDbFeatureLine, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        AECC_FEATURE_LINE, "AeccLand")

const std::wstring& AeccDbFeatureLine::name() const {
  assertReadEnabled();
  return m_name;
}

void AeccDbFeatureLine::setName(const std::wstring& name) {
  assertWriteEnabled();
  m_name = name;
}

const std::vector<AcGePoint3d>& AeccDbFeatureLine::points() const {
  assertReadEnabled();
  return m_points;
}

void AeccDbFeatureLine::setPoints(std::vector<AcGePoint3d> points) {
  assertWriteEnabled();
  m_points = std::move(points);
  recordGraphicsModified();
}

Acad::ErrorStatus AeccDbFeatureLine::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  if (Acad::ErrorStatus status = pelvarhost::civil::ReadRecordVersion(filer); status != Acad::eOk) return status;
  pelvarhost::civil::ReadWide(filer, m_name);
  if (Acad::ErrorStatus status = pelvarhost::civil::ReadPoints(filer, m_points); status != Acad::eOk) return status;
  return filer->filerStatus();
}

Acad::ErrorStatus AeccDbFeatureLine::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt16(pelvarhost::civil::kCivilRecordVersion);
  filer->writeString(m_name.c_str());
  pelvarhost::civil::WritePoints(filer, m_points);
  return filer->filerStatus();
}

void AeccDbFeatureLine::getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray&) const {
  AcGePoint3dArray chain;
  for (const AcGePoint3d& point : m_points) chain.append(point);
  polylines.append(chain);
}

void AeccDbFeatureLine::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(L"Name: " + m_name);
  lines.push_back(L"Vertices: " + std::to_wstring(m_points.size()));
}
