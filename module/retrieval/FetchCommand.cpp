#include "retrieval/FetchCommand.h"

#include <optional>
#include <string>
#include <vector>

#include "aced.h"
#include "app/DownloadsFolder.h"
#include "app/AppendCloud.h"
#include "app/Folders.h"
#include "geo/ResolveZone.h"
#include "retrieval/CommandSteps.h"
#include "retrieval/EptFetch.h"
#include "retrieval/FetchedCloud.h"
#include "ui/PanelHooks.h"

namespace {

constexpr double kAreaLimitSquareFeet = 400000000.0;
constexpr double kSquareFeetPerMillion = 1000000.0;
constexpr double kZoomMargin = 0.03;
constexpr std::uint64_t kTileReportEvery = 4;

// Prints the area line and refuses, before any download, a rectangle over the area limit,
// one without width or height, and one whose ground grid a cloud file cannot hold.
bool AcceptRectangle(const StatePlaneZone& zone, const ZoneRectangle& rect) {
  double w = rect.xmax - rect.xmin, h = rect.ymax - rect.ymin, q = FootFactor(zone);
  double area = (w / q) * (h / q);
  acutPrintf(L"\nRectangle %.0f x %.0f, %.1fM sq ft.", w, h, area / kSquareFeetPerMillion);
  if (area > kAreaLimitSquareFeet) {
    acutPrintf(L"\nOver 400M sq ft; split the pull.");
    return false;
  }
  if (!HasWidthAndHeight(rect)) return false;
  GroundGridSize grid = FetchGridSizeFor(zone, rect);
  if (grid.nx > kMaxGroundGridSide || grid.ny > kMaxGroundGridSide) {
    acutPrintf(L"\nThe ground grid would be %d x %d cells, over %d on a side; fetch a less elongated rectangle.",
               grid.nx, grid.ny, kMaxGroundGridSide);
    return false;
  }
  return true;
}

bool FetchProgress(std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
  bool cancelled = false;
  if (!BreakOrReportLevel(phase, a, b, cancelled)) return !cancelled;
  if (IsReportedTile(a, b, kTileReportEvery))
    acutPrintf(L"\r  node %llu/%llu  %.1f MB  in-rect %llu    ", static_cast<unsigned long long>(a),
               static_cast<unsigned long long>(b), static_cast<double>(c) / kBytesPerMegabyte,
               static_cast<unsigned long long>(d));
  return true;
}

// The points of the newest candidate that has some inside the rectangle; nothing (after
// its message) when a candidate fails or none has points there.
std::optional<EptFetchResult> FetchFromCandidates(const std::vector<SurveyIndexEntry>& candidates,
                                                  const StatePlaneZone& zone, const ZoneRectangle& rect) {
  Fetcher fetch = KeepAliveFetcher();
  TilePool pool = KeepAliveTilePool();
  std::wstring lastError;
  for (const SurveyIndexEntry& survey : candidates) {
    PrintCandidateHeading(survey);
    EptFetchResult result = FetchEptRectangle(fetch, FetchProgress, SurveyUrl(survey), zone, rect.xmin, rect.ymin,
                                              rect.xmax, rect.ymax, pool);
    lastError = result.error;
    if (!result.error.empty() && result.error != kErrNoNodes) {
      acutPrintf(L"\nFETCH FAILED: %ls", result.error.c_str());
      return std::nullopt;
    }
    if (result.error.empty() && !result.x.empty()) return result;
    acutPrintf(kNotCoveredHere);
  }
  if (lastError.empty())
    acutPrintf(L"\nNo candidate survey actually covers this rectangle.");
  else
    acutPrintf(L"\nFETCH FAILED: %ls", lastError.c_str());
  return std::nullopt;
}

void ReportFetch(const EptFetchResult& result) {
  acutPrintf(L"\nFetched %zu pts (%d nodes, %.1f MB)%ls.", result.x.size(), static_cast<int>(result.nodesFetched),
             static_cast<double>(result.bytesDownloaded) / kBytesPerMegabyte,
             result.truncated ? L", BUDGET-TRUNCATED, shrink the rect for full density" : L"");
}

void ZoomToRectangle(const ZoneRectangle& rect) {
  double w = rect.xmax - rect.xmin, h = rect.ymax - rect.ymin;
  const ads_point low = {rect.xmin - kZoomMargin * w, rect.ymin - kZoomMargin * h, 0.0};
  const ads_point high = {rect.xmax + kZoomMargin * w, rect.ymax + kZoomMargin * h, 0.0};
  acedCommandS(RTSTR, L"_.ZOOM", RTSTR, L"_W", RT3DPOINT, low, RT3DPOINT, high, RTNONE);
  acedCommandS(RTSTR, L"_.REGEN", RTNONE);
}

// Writes, attaches and shows the fetched cloud.
void DeliverCloud(const EptFetchResult& result, const std::wstring& downloads, const StatePlaneZone& zone,
                  const ZoneRectangle& rect, double lon, double lat) {
  if (result.x.size() > kMaxCloudPoints) {
    acutPrintf(L"\nMore than 50,000,000 pts will not fit one cloud file; shrink the rectangle.");
    return;
  }
  std::vector<std::uint8_t> image = BuildFetchedCloudImage(result, zone, rect, lon, lat);
  std::wstring failedPath;
  std::wstring path = WriteFetchedCloud(downloads, (rect.xmin + rect.xmax) / 2,
                                        (rect.ymin + rect.ymax) / 2, image, failedPath);
  if (path.empty()) {
    acutPrintf(L"\nCannot write %ls", failedPath.c_str());
    return;
  }
  acutPrintf(L"\nWrote %ls (%.1f MB).", path.c_str(), static_cast<double>(image.size()) / kBytesPerMegabyte);
  if (!AppendCloudEntity(path)) {
    acutPrintf(L"\nAttach failed; the .kmt is on disk.");
    return;
  }
  ZoomToRectangle(rect);
  bool hasCode = zone.civilCode != nullptr && zone.civilCode[0] != L'\0';
  acutPrintf(L"\nAttached at full density. EPSG:%u, Civil 3D code %ls.", zone.epsg, hasCode ? zone.civilCode : L"n/a");
  ShowPanel();
  if (IsPanelVisible() && HasPanelDialog()) RefreshPanel();
}

// The Downloads folder (with its separator), created when missing; false, after saying so,
// when it cannot be created or written, so that nothing is downloaded in vain.
bool PrepareDownloads(std::wstring& downloads) {
  downloads = DownloadsFolderWithSeparator();
  if (EnsureWritableFolder(downloads)) return true;
  std::wstring folder = downloads.empty() ? L"." : downloads.substr(0, downloads.size() - 1);
  acutPrintf(L"\nCannot write %ls", folder.c_str());
  return false;
}

}  // namespace

void PelvarFetchCommand() {
  const StatePlaneZone* zone = ResolveZone();
  if (zone == nullptr) return;
  ZoneRectangle rect;
  if (!AskRectangle(L"\nFirst corner of the fetch rectangle: ", rect)) return;
  if (!AcceptRectangle(*zone, rect)) return;
  double lon = 0, lat = 0;
  if (!RectangleCentreLonLat(*zone, rect, lon, lat)) return;
  std::wstring downloads;
  if (!PrepareDownloads(downloads)) return;
  std::wstring error;
  std::vector<SurveyIndexEntry> entries = LoadSurveyIndex(error);
  if (entries.empty()) {
    acutPrintf(L"\n%ls", error.c_str());
    return;
  }
  std::vector<SurveyIndexEntry> candidates = FindCandidateSurveys(entries, lon, lat);
  if (candidates.empty()) {
    acutPrintf(L"\nNo 3DEP coverage at this location.");
    return;
  }
  acutPrintf(L"\n%zu candidate survey(s); trying newest first. Esc cancels.", candidates.size());
  std::optional<EptFetchResult> result = FetchFromCandidates(candidates, *zone, rect);
  if (!result) return;
  ReportFetch(*result);
  DeliverCloud(*result, downloads, *zone, rect, lon, lat);
}
