#include "retrieval/FetchedCloud.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "acstring.h"

#include "app/WholeFile.h"
#include "cloudfile/CloudWriter.h"

namespace {

constexpr double kMetreFootFactor = 0.3048;
constexpr size_t kLabelLength = 16;
// Names tried before a fetch gives up on finding a free one.
constexpr int kMaxFetchNames = 10000;

// The text of a formatted label, which holds only ASCII letters, digits and signs.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

double FootFactor(const StatePlaneZone& zone) { return zone.unitMetres == kUnitMetre ? kMetreFootFactor : 1.0; }

GroundGridSize FetchGridSizeFor(const StatePlaneZone& zone, const ZoneRectangle& rect) {
  return FetchGroundGridSize(rect, kGroundCellFeet * FootFactor(zone));
}

std::string FetchLabel(double centreLon, double centreLat) {
  AcString label;
  label.format(L"FE%.2f_%.2f", std::fabs(centreLat), std::fabs(centreLon));
  return Narrow(label.str()).substr(0, kLabelLength);
}

std::vector<std::uint8_t> BuildGroundedCloudImage(const EptFetchResult& points, const ZoneRectangle& rect,
                                                  const GroundGridSize& size, const std::string& label,
                                                  std::uint32_t epsg) {
  std::vector<float> grid = BuildFetchGroundGrid(points, rect, size);
  auto nx = static_cast<std::uint16_t>(grid.empty() ? 0 : size.nx);
  auto ny = static_cast<std::uint16_t>(grid.empty() ? 0 : size.ny);
  double w = rect.xmax - rect.xmin, h = rect.ymax - rect.ymin;
  return BuildCloudFile(points.x, points.y, points.z, points.classes, points.intensities, grid, nx, ny,
                        static_cast<float>(size.cell), rect.xmin, rect.ymin, label, (rect.xmin + rect.xmax) / 2,
                        (rect.ymin + rect.ymax) / 2, static_cast<float>(std::max(w, h) / 2), epsg);
}

std::vector<std::uint8_t> BuildFetchedCloudImage(const EptFetchResult& points, const StatePlaneZone& zone,
                                                 const ZoneRectangle& rect, double centreLon, double centreLat) {
  return BuildGroundedCloudImage(points, rect, FetchGridSizeFor(zone, rect), FetchLabel(centreLon, centreLat),
                                 zone.epsg);
}

std::wstring FetchFileName(double centreX, double centreY, int k) {
  AcString name;
  if (k <= 1)
    name.format(L"KMT_fetch_%.0f_%.0f.kmt", centreX, centreY);
  else
    name.format(L"KMT_fetch_%.0f_%.0f_%d.kmt", centreX, centreY, k);
  return name.str();
}

std::wstring WriteFetchedCloud(const std::wstring& folder, double centreX, double centreY,
                               const std::vector<std::uint8_t>& image, std::wstring& failedPath) {
  return WriteUnderFirstFreeName([&](int k) { return folder + FetchFileName(centreX, centreY, k); }, kMaxFetchNames,
                                 image, failedPath);
}
