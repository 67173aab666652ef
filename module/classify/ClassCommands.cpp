#include "classify/ClassCommands.h"

#include <cstdint>

#include "aced.h"
#include "analysis/CloudChoice.h"
#include "app/Settings.h"
#include "classify/ClassOverrides.h"
#include "entity/OpenedObject.h"

namespace {

constexpr const ACHAR* kClassPrompt = L"\nLAS class to toggle (1,2,3,4,5,6,7,9,17,20): ";
constexpr unsigned kMaskBits = 32;
constexpr uint8_t kColorModeCount = 3;
constexpr const ACHAR* kColorModeNames[kColorModeCount] = {L"Class", L"Intensity", L"Elevation"};
constexpr const ACHAR* kAutoClassifyTitle = L"Toggle auto-classification of unclassified points.";
constexpr const ACHAR* kDefaultClassesTitle = L"Save a cloud's class set as the default for future attaches.";

// The points whose class stored in the file is unclassified (overrides are not consulted).
uint32_t CountStoredUnclassified(const KmqDataPtr& data) {
  if (!data) return 0;
  uint32_t count = 0;
  for (const KmqPoint& point : data->points) count += point.cls == kUnclassified;
  return count;
}

}  // namespace

void PelvarClassToggleCommand() {
  OpenedObject<Pelvar> cloud(PickCloud());
  if (!cloud) return;
  short number = 0;
  if (acedGetShort(kClassPrompt, &number) != RTNORM) return;
  const auto bit = static_cast<unsigned short>(number);  // negatives wrap far out of range
  if (bit >= kMaskBits) return;
  const uint32_t mask = cloud->classMask() ^ (1u << bit);
  cloud->setClassMask(mask);
  acutPrintf(L"\nClass %d -> %ls", static_cast<int>(bit), (mask >> bit) & 1u ? L"ON" : L"OFF");
  cloud->recordGraphicsModified(true);
}

void PelvarColorModeCommand() {
  OpenedObject<Pelvar> cloud(PickCloud());
  if (!cloud) return;
  const auto mode = static_cast<uint8_t>((cloud->colorMode() + 1) % kColorModeCount);
  cloud->setColorMode(mode);
  acutPrintf(L"\nColor by: %ls", kColorModeNames[mode]);
  cloud->recordGraphicsModified(true);
}

void PelvarAutoClassifyCommand() {
  OpenedObject<Pelvar> cloud(SelectCloud(AcDb::kForWrite, kAutoClassifyTitle));
  if (!cloud) return;
  const bool wasOn = cloud->autoClassify();
  cloud->setAutoClassify(!wasOn);
  cloud->setOverridesDirty(true);
  acutPrintf(L"\nAuto-classify: %ls. %u unclassified points %ls by height above ground (<6.5 ft low veg, 6.5-16 "
             L"med, >16 high; deep outliers -> noise).",
             wasOn ? L"OFF" : L"ON", CountStoredUnclassified(cloud->CloudData()),
             wasOn ? L"back to gray" : L"now colored");
  cloud->recordGraphicsModified(true);
}

void PelvarDefaultClassesCommand() {
  uint32_t mask = 0;
  {
    OpenedObject<Pelvar> cloud(SelectCloud(AcDb::kForRead, kDefaultClassesTitle));
    if (!cloud) return;
    mask = cloud->classMask();
  }
  if (!WriteDefaultClassMask(mask)) {
    acutPrintf(L"\nRegistry write failed.");
    return;
  }
  acutPrintf(L"\nDefault classes saved:");
  for (unsigned cls = 0; cls < kMaskBits; ++cls)
    if ((mask >> cls) & 1u) acutPrintf(L" %d", static_cast<int>(cls));
  acutPrintf(L". New attaches start with this set.");
}
