#include "geo/ResolveZone.h"

#include <string>

#include "aced.h"
#include "acutads.h"
#include "civil/CivilBridge.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"
#include "entity/Pelvar.h"

namespace {

// The EPSG code of the first cloud in model space that loads and names a non-zero code;
// 0 when there is none or model space cannot be read.
uint32_t FirstCloudEpsg(AcDbDatabase* database) {
  uint32_t epsg = 0;
  VisitModelSpaceEntities(database, [&epsg](const AcDbEntity& entity) {
    if (const Pelvar* cloud = Pelvar::cast(&entity))
      if (KmqDataPtr data = cloud->CloudData()) epsg = data->epsg;
    return epsg == 0;
  });
  return epsg;
}

const StatePlaneZone* ZoneFromAttachedCloud() {
  const StatePlaneZone* zone =
      FindZoneByEpsg(FirstCloudEpsg(acdbHostApplicationServices()->workingDatabase()));
  if (zone != nullptr)
    acutPrintf(L"\nZone from the attached cloud: %ls (EPSG:%u).", zone->name, zone->epsg);
  return zone;
}

const StatePlaneZone* ZoneFromDrawingSettings() {
  std::wstring code;
  std::wstring error;
  if (!Civil_GetDrawingCsCode(code, error) || code.empty()) return nullptr;
  // The code is compared whole: one with an embedded null character matches no row,
  // however its first part reads.
  const StatePlaneZone* zone =
      code.find(L'\0') == std::wstring::npos ? FindZoneByCivilCode(code.c_str()) : nullptr;
  if (zone != nullptr)
    acutPrintf(L"\nZone from drawing settings %ls: %ls (EPSG:%u).", code.c_str(), zone->name,
               zone->epsg);
  return zone;
}

const StatePlaneZone* ZoneFromPrompt() {
  acutPrintf(L"\nNo zone in the drawing.");
  short typed = 0;
  if (acedGetShort(L"\nState-plane EPSG code (e.g. 2240): ", &typed) != RTNORM) return nullptr;
  const StatePlaneZone* zone = typed > 0 ? FindZoneByEpsg(static_cast<uint32_t>(typed)) : nullptr;
  if (zone == nullptr) acutPrintf(L"\nEPSG:%d is not in the zone table.", static_cast<int>(typed));
  return zone;
}

}  // namespace

const StatePlaneZone* ResolveZoneWithoutAsking() {
  if (const StatePlaneZone* zone = ZoneFromAttachedCloud()) return zone;
  return ZoneFromDrawingSettings();
}

const StatePlaneZone* AskZone() { return ZoneFromPrompt(); }

const StatePlaneZone* ResolveZone() {
  if (const StatePlaneZone* zone = ResolveZoneWithoutAsking()) return zone;
  return AskZone();
}
