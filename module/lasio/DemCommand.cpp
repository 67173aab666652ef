#include "lasio/DemCommand.h"

#include <string>

#include "aced.h"
#include "analysis/CloudChoice.h"
#include "app/WholeFile.h"
#include "entity/OpenedObject.h"
#include "lasio/DemWrite.h"
#include "lasio/ExportFile.h"
#include "lasio/OutputName.h"
#include "lasio/ProjObjects.h"
#include "retrieval/CommandSteps.h"

namespace {

constexpr const ACHAR* kDemTitle = L"Write a cloud's ground grid as a GeoTIFF DEM.";
constexpr const ACHAR* kFileTitle = L"GeoTIFF DEM to write";
constexpr const ACHAR* kTiffExtension = L"tif";
constexpr int kMaxDemNames = 10000;

void WriteDem(const Pelvar& cloud) {
  KmqDataPtr data = cloud.CloudData();
  if (!data) {
    acutPrintf(L"\nCloud file is not available.");
    return;
  }
  if (data->groundNx == 0 || data->groundNy == 0) {
    acutPrintf(L"\nThe cloud has no ground grid; no DEM written.");
    return;
  }
  const StatePlaneZone* zone = FindZoneByEpsg(data->epsg);
  if (zone == nullptr) {
    acutPrintf(L"\nThe cloud's EPSG:%u is not in the zone table; no DEM written.", data->epsg);
    return;
  }
  std::wstring path = AskOutputName(cloud.cloudPath(), L"_dem.tif", kFileTitle, kTiffExtension);
  if (path.empty()) return;
  std::wstring error;
  std::vector<std::uint8_t> bytes = EncodeDem(*data, ZoneWkt(*zone), error);
  if (bytes.empty()) {
    acutPrintf(L"\nCannot make the DEM: %ls", error.c_str());
    return;
  }
  std::wstring failedPath;
  std::wstring written =
      WriteUnderFirstFreeName([&](int k) { return NumberedPath(path, k); }, kMaxDemNames, bytes, failedPath);
  if (written.empty()) {
    acutPrintf(L"\nCannot write %ls", failedPath.c_str());
    return;
  }
  acutPrintf(L"\nDEM of %u x %u cells of %.2f -> %ls (%.1f MB), EPSG:%u.", static_cast<unsigned>(data->groundNx),
             static_cast<unsigned>(data->groundNy), static_cast<double>(data->groundCell), written.c_str(),
             static_cast<double>(bytes.size()) / kBytesPerMegabyte, zone->epsg);
}

}  // namespace

void PelvarDemCommand() {
  OpenedObject<Pelvar> cloud(SelectCloud(AcDb::kForRead, kDemTitle));
  if (cloud) WriteDem(*cloud);
}
