#include "ui/PanelClouds.h"

#include <climits>
#include <cstdarg>
#include <cmath>
#include <cwchar>
#include <functional>

#include "acdocman.h"
#include "acedads.h"
#include "acstring.h"
#include "entity/ModelSpace.h"
#include "entity/Pelvar.h"

namespace {

constexpr int kListedClouds = 3;
constexpr const wchar_t* kListSeparator = L" \u00B7 ";
constexpr const wchar_t* kNoCloudText = L"No PELVAR in this drawing.\nUse Attach .kmt to add one.";
constexpr const wchar_t* kRegenCommand = L"_.REGEN ";

// Holds a write lock on the current document while it lives.
class CurrentDocumentLock {
 public:
  CurrentDocumentLock() : document_(acDocManager->curDocument()) {
    if (document_ != nullptr && acDocManager->lockDocument(document_, AcAp::kWrite) != Acad::eOk) document_ = nullptr;
  }
  ~CurrentDocumentLock() {
    if (document_ != nullptr) acDocManager->unlockDocument(document_);
  }
  CurrentDocumentLock(const CurrentDocumentLock&) = delete;
  CurrentDocumentLock& operator=(const CurrentDocumentLock&) = delete;
  AcDbDatabase* database() const { return document_ != nullptr ? document_->database() : nullptr; }

 private:
  AcApDocument* document_;
};

// Visits every cloud of the current drawing's model space, opened in the given mode,
// under the document lock.
void ForEachCloud(AcDb::OpenMode mode, const std::function<void(Pelvar&)>& visit) {
  CurrentDocumentLock lock;
  if (lock.database() == nullptr) return;
  VisitModelSpaceEntities(lock.database(), mode, [&visit](AcDbEntity& entity) {
    if (Pelvar* cloud = Pelvar::cast(&entity)) visit(*cloud);
    return true;
  });
}

std::wstring Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  AcString text;
  text.formatV(format, args);
  va_end(args);
  return text.str();
}

// The header's tile name as bytes, one character each.
std::wstring TileName(const char* name) {
  std::wstring wide;
  for (const char* c = name; *c != '\0'; ++c) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
  return wide;
}

}  // namespace

void AddCloudToSummary(PanelCloudSummary& summary, const Pelvar& cloud) {
  ++summary.count;
  KmqDataPtr data = cloud.CloudData();
  if (!summary.haveFirst) {
    summary.haveFirst = true;
    summary.classMask = cloud.classMask();
    summary.colorMode = cloud.colorMode();
    summary.autoClassify = cloud.autoClassify();
    summary.elevFilterOn = cloud.elevFilterOn();
    summary.elevMin = cloud.elevMin();
    summary.elevMax = cloud.elevMax();
    if (data) {
      summary.dataMinZ = data->originZ;
      summary.dataMaxZ = data->originZ + data->sizeZ;
    }
  }
  if (!data) {
    if (summary.missingLine.empty()) summary.missingLine = L"\nfile missing: " + cloud.cloudPath();
    return;
  }
  summary.totalPoints += data->pointCount;
  if (summary.count <= kListedClouds) {
    if (!summary.list.empty()) summary.list += kListSeparator;
    summary.list += Format(L"%ls R%.0f", TileName(data->tileName).c_str(), static_cast<double>(data->halfSize));
  }
}

std::wstring CloudInfoText(const PanelCloudSummary& summary) {
  if (summary.count == 0) return kNoCloudText;
  std::wstring list = summary.list;
  if (summary.count > kListedClouds) list += kListSeparator + Format(L"+%d more", summary.count - kListedClouds);
  return Format(L"%d cloud(s), %llu pts\n", summary.count, static_cast<unsigned long long>(summary.totalPoints)) +
         list + summary.missingLine;
}

PanelCloudSummary SummarizeCurrentDrawing() {
  PanelCloudSummary summary;
  ForEachCloud(AcDb::kForRead, [&summary](Pelvar& cloud) { AddCloudToSummary(summary, cloud); });
  return summary;
}

int ApplyPanelSettings(const PanelSettings& settings) {
  int changed = 0;
  ForEachCloud(AcDb::kForWrite, [&](Pelvar& cloud) {
    cloud.setClassMask(settings.classMask);
    cloud.setColorMode(settings.colorMode);
    cloud.setDensity(settings.density == 0 ? Pelvar::kDefaultDensity : settings.density);
    if (settings.haveElevation) cloud.setElevationWindow(settings.elevFilterOn, settings.elevMin, settings.elevMax);
    cloud.recordGraphicsModified(true);
    ++changed;
  });
  if (changed > 0) QueueOnCurrentDocument(kRegenCommand);
  return changed;
}

int SetAutoClassifyOnClouds(bool on) {
  int changed = 0;
  ForEachCloud(AcDb::kForWrite, [&](Pelvar& cloud) {
    cloud.setAutoClassify(on);
    cloud.setOverridesDirty(true);
    cloud.recordGraphicsModified(true);
    ++changed;
  });
  acedUpdateDisplay();
  return changed;
}

int ClampToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(value);
}

bool QueueOnCurrentDocument(const wchar_t* text) {
  AcApDocument* document = acDocManager->curDocument();
  if (document == nullptr) return false;
  acDocManager->sendStringToExecute(document, text, true, false, true);
  return true;
}
