#include "lasio/ImportCommand.h"

#include <algorithm>
#include <optional>
#include <string>

#include "aced.h"
#include "app/AppendCloud.h"
#include "app/DownloadsFolder.h"
#include "app/WholeFile.h"
#include "cloudfile/CloudReader.h"
#include "geo/ResolveZone.h"
#include "lasio/FileSystem.h"
#include "lasio/ImportFile.h"
#include "lasio/LasDecode.h"
#include "lasio/LasFile.h"
#include "lasio/ZonePlan.h"
#include "lazworker/DecodeProtocol.h"
#include "retrieval/CommandSteps.h"
#include "retrieval/FetchedCloud.h"
#include "ui/PanelHooks.h"

namespace {

constexpr const ACHAR* kFileTitle = L"LAS or LAZ file to import (Enter ends)";
constexpr const ACHAR* kLasExtension = L"las";
// The sandboxed decoder takes requests up to this size.
constexpr std::uint64_t kMaxFileBytes = kMaxWholeFileRequestBytes;
constexpr size_t kPointsPerChunk = 1000000;
constexpr int kMaxImportNames = 10000;
constexpr const wchar_t* kNotLas = L"not a LAS or LAZ file.";

std::wstring AskLasFile() {
  resbuf* result = acutNewRb(RTSTR);
  std::wstring path;
  if (acedGetFileD(kFileTitle, L"", kLasExtension, 0, result) == RTNORM && result->restype == RTSTR &&
      result->resval.rstring != nullptr)
    path = result->resval.rstring;
  acutRelRb(result);
  return path;
}

// The system the file names, or the one its EPSG code (asked for) names; nothing on Enter.
std::optional<NamedSystem> NameTheSystem(const LasFileFacts& facts, const std::wstring& path) {
  NamedSystem named = SystemNamedBy(facts);
  if (!named.definition.empty()) return named;
  acutPrintf(L"\n%ls names no coordinate system.", path.c_str());
  int code = 0;
  if (acedGetInt(L"\nEPSG code of its coordinate system: ", &code) != RTNORM || code <= 0) return std::nullopt;
  named.definition = "EPSG:" + std::to_string(code);
  return named;
}

// The drawing's zone, else the file's own zone of the table, else one asked for.
const StatePlaneZone* TargetZone(const FileSystem& system) {
  if (const StatePlaneZone* zone = ResolveZoneWithoutAsking()) return zone;
  if (const StatePlaneZone* zone = TableZoneOf(system)) {
    acutPrintf(L"\nZone from the file: %ls (EPSG:%u).", zone->name, zone->epsg);
    return zone;
  }
  return AskZone();
}

void SayPlan(const ZonePlan& plan, const FileSystem& system, const StatePlaneZone& zone) {
  if (plan.kind == PlanKind::kSameZone) {
    acutPrintf(L"\n%ls is the zone's system; coordinates kept%ls.", system.name.c_str(),
               plan.xyScale != 1.0 || plan.zScale != 1.0 ? L", converted to the zone's unit" : L"");
  } else if (plan.kind == PlanKind::kReprojection) {
    acutPrintf(L"\nReprojecting %ls into %ls (NAD83 realisations as one datum: projection only).",
               system.name.c_str(), zone.name);
  } else if (plan.accuracyMetres >= 0) {
    acutPrintf(L"\nTransforming %ls into %ls with %ls (accuracy %.2f m).", system.name.c_str(), zone.name,
               plan.operationName.c_str(), plan.accuracyMetres);
  } else {
    acutPrintf(L"\nTransforming %ls into %ls with %ls (accuracy unknown).", system.name.c_str(), zone.name,
               plan.operationName.c_str());
  }
}

// Brings the points into the zone chunk by chunk; false after its message on Esc or when
// a point has no place in the zone.
bool MapInChunks(const ZonePlan& plan, EptFetchResult& points, const std::wstring& path) {
  const size_t n = points.x.size();
  for (size_t first = 0; first < n; first += kPointsPerChunk) {
    if (acedUsrBrk()) {
      acutPrintf(L"\nImport cancelled; nothing written.");
      return false;
    }
    size_t count = std::min(kPointsPerChunk, n - first);
    if (!MapPoints(plan, &points.x[first], &points.y[first], &points.z[first], count)) {
      acutPrintf(L"\n%ls: some points have no place in the zone; nothing written.", path.c_str());
      return false;
    }
    acutPrintf(L"\r  %zu/%zu pts    ", first + count, n);
  }
  return true;
}

// Writes the image beside the source, else in the Downloads folder; the path, or empty.
std::wstring WriteBesideOrDownloads(const std::wstring& source, const std::vector<std::uint8_t>& image) {
  const std::wstring stem = FileStem(source);
  std::wstring failedPath;
  for (const std::wstring& folder : {FolderOf(source), DownloadsFolderWithSeparator()}) {
    std::wstring path = WriteUnderFirstFreeName([&](int k) { return folder + ImportFileName(stem, k); },
                                                kMaxImportNames, image, failedPath);
    if (!path.empty()) return path;
  }
  acutPrintf(L"\nCannot write %ls", failedPath.c_str());
  return {};
}

void WriteAndAttach(const EptFetchResult& points, const StatePlaneZone& zone, const std::wstring& source) {
  ZoneRectangle rect = BoundsOf(points);
  std::vector<std::uint8_t> image =
      BuildGroundedCloudImage(points, rect, ImportGridSize(zone, rect), ImportLabel(source), zone.epsg);
  std::wstring path = WriteBesideOrDownloads(source, image);
  if (path.empty()) return;
  ForgetCloudFile(path);
  acutPrintf(L"\nWrote %ls (%.1f MB).", path.c_str(), static_cast<double>(image.size()) / kBytesPerMegabyte);
  if (!AppendCloudEntity(path)) {
    acutPrintf(L"\nAttach failed; the .kmt is on disk.");
    return;
  }
  acutPrintf(L"\nAttached at full density. EPSG:%u.", zone.epsg);
  acedCommandS(RTSTR, L"_.ZOOM", RTSTR, L"_E", RTNONE);
  ShowPanel();
  if (IsPanelVisible() && HasPanelDialog()) RefreshPanel();
}

// The file's header and system; nothing after a message when the import of it ends there.
std::optional<LasFileFacts> ReadFacts(const std::wstring& path, const ByteBuffer& bytes) {
  std::optional<LasFileFacts> facts = ReadLasFileFacts(bytes);
  if (!facts) {
    acutPrintf(L"\n%ls: %ls", path.c_str(), kNotLas);
  } else if (facts->pointCount > kMaxCloudPoints) {
    acutPrintf(L"\n%ls holds %llu points; a cloud file takes at most 50,000,000.", path.c_str(),
               static_cast<unsigned long long>(facts->pointCount));
    return std::nullopt;
  } else if (facts->pointCount == 0) {
    acutPrintf(L"\n%ls holds no points.", path.c_str());
    return std::nullopt;
  }
  return facts;
}

void ImportFile(const std::wstring& path) {
  ByteBuffer bytes;
  if (!ReadWholeFileBytes(path, kMaxFileBytes, bytes)) {
    acutPrintf(L"\nCannot read %ls (or it is over %llu MB: compress it to LAZ)", path.c_str(),
               static_cast<unsigned long long>(kMaxFileBytes >> 20));
    return;
  }
  std::optional<LasFileFacts> facts = ReadFacts(path, bytes);
  if (!facts) return;
  std::optional<NamedSystem> named = NameTheSystem(*facts, path);
  if (!named) return;
  std::wstring error;
  std::optional<FileSystem> system = ReadFileSystem(*named, error);
  const StatePlaneZone* zone = system ? TargetZone(*system) : nullptr;
  std::optional<ZonePlan> plan = zone != nullptr ? PlanIntoZone(*system, *zone, error) : std::nullopt;
  if (!plan) {
    if (!error.empty()) acutPrintf(L"\n%ls: %ls; nothing written.", path.c_str(), error.c_str());
    return;
  }
  SayPlan(*plan, *system, *zone);
  acutPrintf(L"\nReading %llu pts (LAS 1.%u, point format %u).", static_cast<unsigned long long>(facts->pointCount),
             static_cast<unsigned>(facts->versionMinor), static_cast<unsigned>(facts->pointFormat));
  EptFetchResult points;
  if (!DecodeLasPoints(bytes, points, error)) {
    acutPrintf(L"\n%ls: %ls", path.c_str(), error == kErrLazDecode ? kNotLas : error.c_str());
    return;
  }
  ByteBuffer().swap(bytes);
  if (points.x.empty()) {
    acutPrintf(L"\n%ls holds no points.", path.c_str());
    return;
  }
  if (MapInChunks(*plan, points, path)) WriteAndAttach(points, *zone, path);
}

}  // namespace

void PelvarImportCommand() {
  for (std::wstring path = AskLasFile(); !path.empty(); path = AskLasFile()) ImportFile(path);
}
