#include "analysis/PickCommands.h"

#include <string>

#include "aced.h"
#include "analysis/CloudView.h"
#include "analysis/KeywordPrompt.h"
#include "analysis/TerrainQueries.h"
#include "civil/CivilBridge.h"

namespace {

// The COGO description of a cloud point by its effective class.
const wchar_t* CogoDescription(uint8_t cls) {
  switch (cls) {
    case 2:
    case 20: return L"EG";
    case 6: return L"ROOF";
    case 9: return L"WATER";
    default: return L"CLOUD";
  }
}

enum class ElevationSource { Ground, Nearest };

ElevationSource AskElevationSource() {
  return AnswersKeyword(L"Ground Nearest", L"\nElevation source [Ground/Nearest] <Ground>: ", L"Nearest")
             ? ElevationSource::Nearest
             : ElevationSource::Ground;
}

// One COGO point's elevation and description; false (after the command's note) when the
// position gives none.
bool CogoElevation(const CloudViews& views, ElevationSource source, double x, double y, double& z,
                   const wchar_t*& description) {
  if (source == ElevationSource::Nearest) {
    CloudPointHit hit;
    if (!NearestCloudPoint(views, AcGePoint3d(x, y, 0.0), kNearestSearchRadius, hit)) {
      acutPrintf(L"\n  no cloud point nearby");
      return false;
    }
    z = hit.world.z;
    description = CogoDescription(hit.cls);
    return true;
  }
  if (!GroundElevationAt(views, x, y, z)) {
    acutPrintf(L"\n  outside the ground grid");
    return false;
  }
  description = CogoDescription(2);
  return true;
}

}  // namespace

void PelvarPickCommand() {
  CloudViews views;
  if (!CollectCloudViewsOrSayNone(views)) return;
  ads_point click;
  if (acedGetPoint(nullptr, L"\nPick a point on the cloud: ", click) != RTNORM) return;
  CloudPointHit hit;
  const bool found = NearestCloudPoint(views, AcGePoint3d(click[0], click[1], click[2]), kNearestSearchRadius, hit);
  double ground = 0.0;
  const bool onGround = GroundElevationAt(views, click[0], click[1], ground);
  if (found) {
    acutPrintf(L"\n  Point   E %.2f  N %.2f  Z %.2f ft  (class %d, I %d)", hit.world.x, hit.world.y, hit.world.z,
               static_cast<int>(hit.cls), static_cast<int>(hit.intensity));
    if (onGround) acutPrintf(L"\n  Ground  %.2f ft   HAG %.1f ft", ground, hit.world.z - ground);
  } else if (onGround) {
    acutPrintf(L"\n  No cloud point nearby.  Ground here: %.2f ft", ground);
  } else {
    acutPrintf(L"\n  Outside all cloud squares.");
  }
}

void PelvarCogoCommand() {
  CloudViews views;
  if (!CollectCloudViewsOrSayNone(views)) return;
  const ElevationSource source = AskElevationSource();
  int created = 0;
  ads_point click;
  while (acedGetPoint(nullptr, L"\nPick location <Enter to finish>: ", click) == RTNORM) {
    double z = 0.0;
    const wchar_t* description = nullptr;
    if (!CogoElevation(views, source, click[0], click[1], z, description)) continue;
    std::wstring error;
    if (!Civil_AddCogoPoint(click[0], click[1], z, description, error)) {
      acutPrintf(L"\nCOGO failed (Civil 3D required): %ls", error.c_str());
      break;
    }
    acutPrintf(L"\n  %ls  %.2f ft", description, z);
    ++created;
  }
  if (created > 0) acutPrintf(L"\n%d COGO point(s) created.", created);
}
