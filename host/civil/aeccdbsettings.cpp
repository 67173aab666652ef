// The drawing's civil settings object.
#include "aeccdb.h"
#include "civilfiling.h"

ACRX_DXF_DEFINE_MEMBERS(AeccDbDrawingSettings, AcDbObject, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        AECC_DRAWING_SETTINGS, "AeccLand")

bool AeccDbDrawingSettings::hasCoordinateSystemCode() const {
  assertReadEnabled();
  return m_hasCode;
}

const std::wstring& AeccDbDrawingSettings::coordinateSystemCode() const {
  assertReadEnabled();
  return m_code;
}

void AeccDbDrawingSettings::setCoordinateSystemCode(bool hasCode, const std::wstring& code) {
  assertWriteEnabled();
  m_hasCode = hasCode;
  m_code = hasCode ? code : std::wstring();
}

std::uint32_t AeccDbDrawingSettings::nextPointNumber() const {
  assertReadEnabled();
  return m_nextPointNumber;
}

void AeccDbDrawingSettings::setNextPointNumber(std::uint32_t number) {
  assertWriteEnabled();
  m_nextPointNumber = number;
}

Acad::ErrorStatus AeccDbDrawingSettings::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbObject::dwgInFields(filer); status != Acad::eOk) return status;
  if (Acad::ErrorStatus status = pelvarhost::civil::ReadRecordVersion(filer); status != Acad::eOk) return status;
  filer->readBool(&m_hasCode);
  pelvarhost::civil::ReadWide(filer, m_code);
  filer->readUInt32(&m_nextPointNumber);
  return filer->filerStatus();
}

Acad::ErrorStatus AeccDbDrawingSettings::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbObject::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt16(pelvarhost::civil::kCivilRecordVersion);
  filer->writeBool(m_hasCode);
  filer->writeString(m_code.c_str());
  filer->writeUInt32(m_nextPointNumber);
  return filer->filerStatus();
}
