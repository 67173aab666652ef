#include "lasio/ImportFile.h"

#include <algorithm>

#include "retrieval/FetchedCloud.h"

namespace {

constexpr size_t kLabelLength = 16;
constexpr wchar_t kFolderSeparators[] = L"/\\";

}  // namespace

ZoneRectangle BoundsOf(const EptFetchResult& points) {
  auto [xmin, xmax] = std::minmax_element(points.x.begin(), points.x.end());
  auto [ymin, ymax] = std::minmax_element(points.y.begin(), points.y.end());
  return {*xmin, *ymin, *xmax, *ymax};
}

GroundGridSize ImportGridSize(const StatePlaneZone& zone, const ZoneRectangle& rect) {
  double cell = kGroundCellFeet * FootFactor(zone);
  GroundGridSize size = FetchGroundGridSize(rect, cell);
  while (size.nx > kMaxGroundGridSide || size.ny > kMaxGroundGridSide) {
    cell *= 2;
    size = FetchGroundGridSize(rect, cell);
  }
  return size;
}

std::wstring FileStem(const std::wstring& path) {
  size_t slash = path.find_last_of(kFolderSeparators);
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(kFolderSeparators);
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string ImportLabel(const std::wstring& path) {
  std::string label;
  for (wchar_t c : FileStem(path).substr(0, kLabelLength)) label.push_back(c > 0 && c < 128 ? static_cast<char>(c) : '?');
  return label;
}

std::wstring ImportFileName(const std::wstring& stem, int k) {
  return k <= 1 ? stem + L".kmt" : stem + L"_" + std::to_wstring(k) + L".kmt";
}
