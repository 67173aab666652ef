// Registration of the cloud entity's runtime class.
#include "entity/PelvarClass.h"

#include "acdb.h"
#include "dbproxy.h"
#include "entity/Pelvar.h"
#include "rxregsvc.h"

namespace {

// The application name shown for proxies of the entity: four fields joined by "|" inside
// literal double quotes, each value starting at the nineteenth character of its field.
#define PELVAR_APP_FIELD_PRODUCT L"Pelvar1.0"
#define PELVAR_APP_FIELD_DESC L"Product Desc:     Mardel KMQ1 point cloud"
#define PELVAR_APP_FIELD_COMPANY L"Company:          Mardel Geomatics"
#define PELVAR_APP_FIELD_WEB L"WEB Address:      https://mardel.example"
constexpr const ACHAR* kAppName = L"\"" PELVAR_APP_FIELD_PRODUCT L"|" PELVAR_APP_FIELD_DESC L"|" PELVAR_APP_FIELD_COMPANY
    L"|" PELVAR_APP_FIELD_WEB L"\"";

AcRxObject* CreateDefaultPelvar() { return new Pelvar(); }

}  // namespace

const EntityClassRecord kPelvarClassRecord = {
    L"Pelvar",
    L"AcDbEntity",
    AcDb::kDHL_CURRENT,       // 33
    AcDb::kMReleaseCurrent,   // 427
    AcDbProxyEntity::kAllAllowedBits,  // 0xBFF: every edit allowed, proxy warning kept
    L"PELVAR",
    kAppName,
};

void RegisterPelvarClass() {
  const EntityClassRecord& record = kPelvarClassRecord;
  if (AcRxClass* registered = acrxFindAcRxClass(record.className)) {
    // Registered already: it must be our own class, never a stranger's of the same name.
    if (registered != Pelvar::gpDesc) acrx_abort(kClassMismatchText);
  } else {
    Pelvar::gpDesc = newAcRxClass(record.className, record.parentClassName, record.dwgVersion,
                                  record.maintenanceVersion, record.proxyFlags, &CreateDefaultPelvar,
                                  record.dxfName, record.appName);
  }
  acrxBuildClassHierarchy();
}

void UnregisterPelvarClass() {
  AcRxClass* held = Pelvar::gpDesc != nullptr ? Pelvar::gpDesc : acrxFindAcRxClass(kPelvarClassRecord.className);
  if (held != nullptr) deleteAcRxClass(held);
  Pelvar::gpDesc = nullptr;
}
