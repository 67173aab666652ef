// Test module: registers PvTestEntity and the command PVTESTMAKE on load, removes both on
// unload.
// Record: common entity fields, then version (int16), label (string), value (double),
// count (int32). A version above 1 asks the host for a proxy.
#include <cwchar>

#include "aced.h"
#include "dbapserv.h"
#include "dbmain.h"
#include "dbsymtb.h"
#include "rxdefs.h"
#include "rxdlinkr.h"

class PvTestEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(PvTestEntity);
  static constexpr Adesk::Int16 kVersion = 1;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
    if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
    Adesk::Int16 version = 0;
    filer->readInt16(&version);
    if (version > kVersion) return Acad::eMakeMeProxy;
    filer->readString(m_label);
    filer->readDouble(&m_value);
    filer->readInt32(&m_count);
    return filer->filerStatus();
  }

  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
    filer->writeInt16(kVersion);
    filer->writeString(m_label);
    filer->writeDouble(m_value);
    filer->writeInt32(m_count);
    return filer->filerStatus();
  }

 protected:
  void subList(std::vector<std::wstring>& lines) const override {
    wchar_t buffer[128];
    std::swprintf(buffer, 128, L"Value = %.3f  Count = %d", m_value, static_cast<int>(m_count));
    lines.push_back(L"Label = " + m_label.str());
    lines.push_back(buffer);
  }

 public:
  void set(const ACHAR* label, double value, Adesk::Int32 count) {
    assertWriteEnabled();
    m_label = label;
    m_value = value;
    m_count = count;
  }

 private:
  AcString m_label;
  double m_value = 0.0;
  Adesk::Int32 m_count = 0;
};

ACRX_DXF_DEFINE_MEMBERS(PvTestEntity, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0xBFF,
                        PVTESTENTITY, "PvTest")

ACRX_DEFINE_API_VERSION()

namespace {

constexpr const ACHAR* kGroup = L"PVTEST";

// PVTESTMAKE: asks for a point and a label and appends a test entity whose value is the
// point's x and whose count is its y.
void MakeTestEntity() {
  ads_point at;
  if (acedGetPoint(nullptr, L"\nPosition: ", at) != RTNORM) return;
  ACHAR label[128];
  if (acedGetString(0, L"\nLabel: ", label, 128) != RTNORM) return;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return;
  auto* entity = new PvTestEntity();
  entity->setDatabaseDefaults(db);
  entity->set(label, at[0], static_cast<Adesk::Int32>(at[1]));
  if (space->appendAcDbEntity(entity) == Acad::eOk) entity->close();
  else delete entity;
  space->close();
}

}  // namespace

extern "C" ACRX_EXPORT_SYMBOL AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  switch (msg) {
    case AcRx::kInitAppMsg:
      acrxDynamicLinker->unlockApplication(appId);
      acrxDynamicLinker->registerAppMDIAware(appId);
      PvTestEntity::rxInit();
      acrxBuildClassHierarchy();
      acedRegCmds->addCommand(kGroup, L"PVTESTMAKE", L"PVTESTMAKE", ACRX_CMD_MODAL, MakeTestEntity);
      return AcRx::kRetOK;
    case AcRx::kUnloadAppMsg:
      acedRegCmds->removeGroup(kGroup);
      deleteAcRxClass(PvTestEntity::desc());
      return AcRx::kRetOK;
    default:
      return AcRx::kRetOK;
  }
}
