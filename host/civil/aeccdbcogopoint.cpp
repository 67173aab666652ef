// COGO points: number, location and raw description.
#include <cwchar>

#include "aeccdb.h"
#include "civilfiling.h"
#include "wideformat.h"

ACRX_DXF_DEFINE_MEMBERS(AeccDbCogoPoint, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        AECC_COGO_POINT, "AeccLand")

std::uint32_t AeccDbCogoPoint::pointNumber() const {
  assertReadEnabled();
  return m_number;
}

void AeccDbCogoPoint::setPointNumber(std::uint32_t number) {
  assertWriteEnabled();
  m_number = number;
}

AcGePoint3d AeccDbCogoPoint::location() const {
  assertReadEnabled();
  return m_location;
}

void AeccDbCogoPoint::setLocation(const AcGePoint3d& location) {
  assertWriteEnabled();
  m_location = location;
  recordGraphicsModified();
}

const std::wstring& AeccDbCogoPoint::rawDescription() const {
  assertReadEnabled();
  return m_rawDescription;
}

void AeccDbCogoPoint::setRawDescription(const std::wstring& description) {
  assertWriteEnabled();
  m_rawDescription = description;
}

Acad::ErrorStatus AeccDbCogoPoint::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  if (Acad::ErrorStatus status = pelvarhost::civil::ReadRecordVersion(filer); status != Acad::eOk) return status;
  filer->readUInt32(&m_number);
  filer->readPoint3d(&m_location);
  pelvarhost::civil::ReadWide(filer, m_rawDescription);
  return filer->filerStatus();
}

Acad::ErrorStatus AeccDbCogoPoint::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt16(pelvarhost::civil::kCivilRecordVersion);
  filer->writeUInt32(m_number);
  filer->writePoint3d(m_location);
  filer->writeString(m_rawDescription.c_str());
  return filer->filerStatus();
}

void AeccDbCogoPoint::getWireframe(AcArray<AcGePoint3dArray>&, AcGePoint3dArray& points) const {
  points.append(m_location);
}

void AeccDbCogoPoint::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(pelvarhost::FormatWide(L"Point number: %u  at X=%.4f  Y=%.4f  Z=%.4f", m_number, m_location.x,
                                         m_location.y, m_location.z));
  lines.push_back(L"Raw description: " + m_rawDescription);
}
