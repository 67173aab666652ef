#include "classify/CropCut.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/WholeFile.h"
#include "classify/ClassOverrides.h"
#include "cloudfile/CloudWriter.h"
#include "entity/Visibility.h"

namespace {

constexpr size_t kLongLabel = 12;
constexpr size_t kKeptOfLongLabel = 11;
constexpr const char* kCropLabelSuffix = "-CROP";
constexpr const wchar_t* kCropSuffix = L"_crop";
constexpr const wchar_t* kCloudExtension = L".kmt";
constexpr const wchar_t* kFolderSeparators = L"/\\";
// Numbered names tried after the plain one before giving up.
constexpr int kLastCropNumber = 9999;

struct IndexRange {
  int first = 0, last = 0;
};

// The node indices first..last (of `count`) that cover [low, high] along one axis of a grid
// with the given origin and cell, clamped to the grid; the whole axis when that is empty.
// Worked in double precision, so a rectangle far off the grid cannot overflow an index.
IndexRange CoveringNodes(double low, double high, double origin, double cell, int count) {
  double first = std::floor((low - origin) / cell);
  double last = std::ceil((high - origin) / cell);
  if (!(first >= 0.0)) first = 0.0;
  if (!(last <= count - 1.0)) last = count - 1.0;
  if (!(last >= first)) return {0, count - 1};
  return {static_cast<int>(first), static_cast<int>(last)};
}

float GroundHeight(const KmqData& data, size_t node) {
  return static_cast<float>(data.ground[node]) / 65535.0f * data.groundZSpan + data.groundZBase;
}

// The rectangle cut down to the cloud's own extent (the whole extent on an axis it misses).
CropRect ClippedToCloud(const CropRect& rect, const KmqData& data) {
  const CropRect extent = CropRectOf(data.originX, data.originY, data.originX + data.sizeX, data.originY + data.sizeY);
  CropRect clipped{std::max(rect.minX, extent.minX), std::max(rect.minY, extent.minY), std::min(rect.maxX, extent.maxX),
                   std::min(rect.maxY, extent.maxY)};
  if (!(clipped.minX <= clipped.maxX)) {
    clipped.minX = extent.minX;
    clipped.maxX = extent.maxX;
  }
  if (!(clipped.minY <= clipped.maxY)) {
    clipped.minY = extent.minY;
    clipped.maxY = extent.maxY;
  }
  return clipped;
}

// A name is free only when nothing is there; a path that cannot be looked at counts as taken.
bool FileExists(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD reason = GetLastError();
  return reason != ERROR_FILE_NOT_FOUND && reason != ERROR_PATH_NOT_FOUND;
}

}  // namespace

CropRect CropRectOf(double x1, double y1, double x2, double y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

CroppedPoints KeepPointsInside(const KmqData& data, const uint8_t* overrides, const CropRect& rect) {
  CroppedPoints kept;
  const CodeRun xs = CodesFrom(data.sizeX, data.originX, rect.minX, rect.maxX);
  const CodeRun ys = CodesFrom(data.sizeY, data.originY, rect.minY, rect.maxY);
  if (xs.empty() || ys.empty()) return kept;
  for (size_t i = 0, n = data.points.size(); i < n; ++i) {
    const KmqPoint& p = data.points[i];
    if (!xs.contains(p.qx) || !ys.contains(p.qy)) continue;
    kept.x.push_back(DecodeX(data, p));
    kept.y.push_back(DecodeY(data, p));
    kept.z.push_back(DecodeZ(data, p));
    kept.cls.push_back(EffectiveClass(p.cls, overrides, i));
    kept.intensity.push_back(i < data.intensity16.size() ? data.intensity16[i] : uint16_t{0});
  }
  return kept;
}

GroundGrid CutGroundGrid(const KmqData& data, const CropRect& rect) {
  GroundGrid grid;
  const double cell = data.groundCell;
  if (data.groundNx == 0 || data.groundNy == 0 || !std::isfinite(cell) || cell <= 0.0) return grid;
  const IndexRange cols = CoveringNodes(rect.minX, rect.maxX, data.groundOriginX, cell, data.groundNx);
  const IndexRange rows = CoveringNodes(rect.minY, rect.maxY, data.groundOriginY, cell, data.groundNy);
  grid.nx = static_cast<uint16_t>(cols.last - cols.first + 1);
  grid.ny = static_cast<uint16_t>(rows.last - rows.first + 1);
  grid.cell = data.groundCell;
  grid.originX = cols.first * cell + data.groundOriginX;
  grid.originY = rows.first * cell + data.groundOriginY;
  grid.heights.reserve(size_t{grid.nx} * grid.ny);
  for (int j = rows.first; j <= rows.last; ++j)
    for (int i = cols.first; i <= cols.last; ++i)
      grid.heights.push_back(GroundHeight(data, static_cast<size_t>(j) * data.groundNx + i));
  return grid;
}

std::string CropLabel(const KmqData& data) {
  std::string label(data.tileName, ::strnlen(data.tileName, kKmqTileNameBytes));
  if (label.size() >= kLongLabel) label.resize(kKeptOfLongLabel);
  return label + kCropLabelSuffix;
}

std::wstring FirstFreeCropPath(const std::wstring& sourcePath) {
  // The extension is cut from the file name only, so the crop stays beside its source.
  const size_t nameStart = sourcePath.find_last_of(kFolderSeparators);
  const size_t dot = sourcePath.rfind(L'.');
  const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
  const std::wstring stem = (hasExtension ? sourcePath.substr(0, dot) : sourcePath) + kCropSuffix;
  for (int number = 1; number <= kLastCropNumber; ++number) {
    std::wstring path = stem + (number == 1 ? L"" : std::to_wstring(number)) + kCloudExtension;
    if (!FileExists(path)) return path;
  }
  return {};
}

std::vector<uint8_t> BuildCropFile(const KmqData& data, const CroppedPoints& points, const CropRect& asked) {
  // The new file describes no more than the source holds, however far the asked rectangle reaches.
  const CropRect rect = ClippedToCloud(asked, data);
  const GroundGrid grid = CutGroundGrid(data, rect);
  const double centreX = 0.5 * (rect.minX + rect.maxX);
  const double centreY = 0.5 * (rect.minY + rect.maxY);
  const auto radius = static_cast<float>(0.5 * std::max(rect.maxX - rect.minX, rect.maxY - rect.minY));
  return BuildCloudFile(points.x, points.y, points.z, points.cls, points.intensity, grid.heights, grid.nx, grid.ny,
                        grid.cell, grid.originX, grid.originY, CropLabel(data), centreX, centreY, radius, data.epsg);
}
