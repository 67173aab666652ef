#include "retrieval/MirrorCommand.h"

#include <windows.h>

#include <string>
#include <vector>

#include "aced.h"
#include "app/Folders.h"
#include "app/Settings.h"
#include "app/WholeFile.h"
#include "geo/ResolveZone.h"
#include "retrieval/ArchiveEndpoints.h"
#include "retrieval/CommandSteps.h"
#include "retrieval/FetchedCloud.h"
#include "retrieval/LocalMirror.h"
#include "retrieval/MirrorEpt.h"

namespace {

constexpr double kSquareFeetPerSquareMile = 2.78784e7;
constexpr double kAreaLimitSquareMiles = 50.0;
constexpr std::uint64_t kTileReportEvery = 8;
// The answer to the folder prompt must be shorter than this.
constexpr size_t kRootAnswerChars = 512;

// The mirror root from the registry, or asked for and stored; empty when the command ends.
std::wstring SettleMirrorRoot() {
  std::wstring root = ReadLocalEptRoot();
  if (!root.empty()) {
    acutPrintf(L"\nMirror root: %ls (edit HKCU\\Software\\Pelvar to change).", root.c_str());
    return root;
  }
  ACHAR answer[kRootAnswerChars] = {};
  if (acedGetString(1, L"\nLocal mirror folder (e.g. D:\\3dep): ", answer) != RTNORM || answer[0] == L'\0') return {};
  root = answer;
  if (!WriteLocalEptRoot(root)) {
    acutPrintf(L"\nRegistry write failed.");
    return {};
  }
  acutPrintf(L"\nMirror root saved: %ls", root.c_str());
  return root;
}

bool AcceptArea(const StatePlaneZone& zone, const ZoneRectangle& rect) {
  double q = FootFactor(zone);
  double miles = ((rect.ymax - rect.ymin) / q) * ((rect.xmax - rect.xmin) / q) / kSquareFeetPerSquareMile;
  acutPrintf(L"\nArea: %.2f sq mi. Mirrors run at FULL density; Esc cancels, rerun resumes.", miles);
  if (miles > kAreaLimitSquareMiles) {
    acutPrintf(L"\nOver 50 sq mi in one pull; split the area.");
    return false;
  }
  return HasWidthAndHeight(rect);
}

bool MirrorProgress(std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t) {
  bool cancelled = false;
  if (!BreakOrReportLevel(phase, a, b, cancelled)) return !cancelled;
  if (IsReportedTile(a, b, kTileReportEvery))
    acutPrintf(L"\r  node %llu/%llu  %.1f MB downloaded    ", static_cast<unsigned long long>(a),
               static_cast<unsigned long long>(b), static_cast<double>(c) / kBytesPerMegabyte);
  return true;
}

// The survey index through the byte source, copied into the root (later fetches find the
// mirror through it); empty (after the message) when it cannot be read or copied.
std::vector<SurveyIndexEntry> MirrorSurveyIndex(const std::wstring& root, const Fetcher& fetch, bool& readable) {
  std::string url = std::string("https://") + kSurveyIndexHost + kSurveyIndexPath;
  ByteBuffer bytes;
  readable = fetch(url, bytes);
  if (!readable) {
    acutPrintf(L"\ndatasets.txt fetch failed.");
    return {};
  }
  std::wstring path = MirrorPathForUrl(root, url);
  if (!FileHoldsBytes(path, bytes) && !WriteWholeFile(path, bytes)) {
    readable = false;
    acutPrintf(L"\nMIRROR FAILED: %ls", kErrMirrorIndexWrite);
    return {};
  }
  return ParseSurveyIndex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Mirrors the first candidate with nodes over the area and reports it.
void MirrorFirstCovering(const std::wstring& root, const std::vector<SurveyIndexEntry>& candidates,
                         const Fetcher& fetch, const StatePlaneZone& zone, const ZoneRectangle& rect) {
  TilePool pool = KeepAliveTilePool();
  for (const SurveyIndexEntry& survey : candidates) {
    PrintCandidateHeading(survey);
    MirrorWriter write = [&root, &survey](const std::string& relativePath, const ByteBuffer& bytes) {
      return FileHoldsBytes(MirrorPath(root, survey.name, relativePath), bytes) ||
             MirrorWriteFile(root, survey.name, relativePath, bytes);
    };
    MirrorHolds holds = [&root, &survey](const std::string& relativePath) {
      return MirrorFileExists(root, survey.name, relativePath);
    };
    MirrorResult result = MirrorEptRectangle(fetch, write, holds, MirrorProgress, SurveyUrl(survey), zone, rect, pool);
    if (result.error == kErrNoNodes) {
      acutPrintf(kNotCoveredHere);
      continue;
    }
    if (!result.error.empty()) {
      acutPrintf(L"\nMIRROR FAILED: %ls", result.error.c_str());
      return;
    }
    acutPrintf(L"\nMirrored: %d node(s) downloaded (%.1f MB), %d already on disk, %llu pts total.",
               result.nodesDownloaded, static_cast<double>(result.bytesDownloaded) / kBytesPerMegabyte,
               result.nodesOnDisk, static_cast<unsigned long long>(result.totalPoints));
    acutPrintf(L"\nPELVARFETCH inside this area now reads %ls first, web second.", root.c_str());
    return;
  }
  acutPrintf(L"\nNo candidate survey actually covers this area.");
}

}  // namespace

void PelvarMirrorCommand() {
  std::wstring root = SettleMirrorRoot();
  if (root.empty()) return;
  if (!EnsureWritableFolder(root)) {
    acutPrintf(L"\nMIRROR FAILED: %ls", kErrMirrorWrite);
    return;
  }
  const StatePlaneZone* zone = ResolveZone();
  if (zone == nullptr) return;
  ZoneRectangle rect;
  if (!AskRectangle(L"\nFirst corner of the area to mirror: ", rect)) return;
  if (!AcceptArea(*zone, rect)) return;
  double lon = 0, lat = 0;
  if (!RectangleCentreLonLat(*zone, rect, lon, lat)) return;
  Fetcher fetch = KeepAliveFetcher();
  bool readable = false;
  std::vector<SurveyIndexEntry> entries = MirrorSurveyIndex(root, fetch, readable);
  if (!readable) return;
  std::vector<SurveyIndexEntry> candidates = FindCandidateSurveys(entries, lon, lat);
  if (candidates.empty()) {
    acutPrintf(L"\nNo 3DEP coverage here.");
    return;
  }
  MirrorFirstCovering(root, candidates, fetch, *zone, rect);
}
