#include "lasio/ExportCommand.h"

#include <optional>
#include <string>

#include "aced.h"
#include "analysis/CloudChoice.h"
#include "app/WholeFile.h"
#include "entity/OpenedObject.h"
#include "entity/Visibility.h"
#include "lasio/ExportFile.h"
#include "lasio/OutputName.h"
#include "lasio/LasWrite.h"
#include "lasio/ProjObjects.h"
#include "retrieval/CommandSteps.h"

namespace {

constexpr const ACHAR* kExportTitle = L"Export a cloud as LAS or LAZ.";
constexpr const ACHAR* kFirstCornerPrompt = L"\nFirst corner <whole cloud>: ";
constexpr const ACHAR* kOppositeCornerPrompt = L"\nOpposite corner: ";
constexpr const ACHAR* kFileTitle = L"LAS or LAZ file to write";
constexpr const ACHAR* kDefaultExtension = L"laz";
constexpr int kMaxExportNames = 10000;

// The rectangle in the cloud's frame: the whole cloud on Enter, nothing on Esc.
std::optional<CropRect> AskExportRectangle(const KmqData& data, const AcGeMatrix3d& toCloud) {
  ads_point first;
  ads_point opposite;
  int answer = acedGetPoint(nullptr, kFirstCornerPrompt, first);
  if (answer == RTNONE) return WholeCloudRect(data);
  if (answer != RTNORM || acedGetCorner(first, kOppositeCornerPrompt, opposite) != RTNORM) return std::nullopt;
  const AcGePoint3d a = toCloud * AcGePoint3d(first[0], first[1], 0.0);
  const AcGePoint3d b = toCloud * AcGePoint3d(opposite[0], opposite[1], 0.0);
  return CropRectOf(a.x, a.y, b.x, b.y);
}

LasAxes AxesOf(const KmqData& data) {
  LasAxes axes;
  axes.scale[0] = LasScaleFor(data.sizeX), axes.scale[1] = LasScaleFor(data.sizeY), axes.scale[2] = LasScaleFor(data.sizeZ);
  return axes;
}

void ExportCloud(const Pelvar& cloud) {
  KmqDataPtr data = cloud.CloudData();
  if (!data) {
    acutPrintf(L"\nCloud file is not available.");
    return;
  }
  const StatePlaneZone* zone = FindZoneByEpsg(data->epsg);
  if (zone == nullptr) {
    acutPrintf(L"\nThe cloud's EPSG:%u is not in the zone table; nothing written.", data->epsg);
    return;
  }
  std::optional<CropRect> rect = AskExportRectangle(*data, cloud.transform().inverse());
  if (!rect) return;
  CroppedPoints points = KeepPointsInside(*data, OverrideBytes(cloud.ClassOverrides(), *data), *rect);
  if (points.size() == 0) {
    acutPrintf(L"\nNo points inside the rectangle.");
    return;
  }
  std::wstring path = AskOutputName(cloud.cloudPath(), L".laz", kFileTitle, kDefaultExtension);
  if (path.empty()) return;
  std::optional<bool> compressed = CompressedByName(path);
  if (!compressed) {
    acutPrintf(L"\nThe name must end in .las or .laz; nothing written.");
    return;
  }
  std::wstring error;
  std::vector<std::uint8_t> bytes = EncodeLas(points, AxesOf(*data), ZoneWkt(*zone), *compressed, error);
  if (bytes.empty()) {
    acutPrintf(L"\nCannot encode the points: %ls", error.c_str());
    return;
  }
  std::wstring failedPath;
  std::wstring written = WriteUnderFirstFreeName([&](int k) { return NumberedPath(path, k); }, kMaxExportNames, bytes,
                                                 failedPath);
  if (written.empty()) {
    acutPrintf(L"\nCannot write %ls", failedPath.c_str());
    return;
  }
  acutPrintf(L"\nExported %zu pts -> %ls (%.1f MB), EPSG:%u.", points.size(), written.c_str(),
             static_cast<double>(bytes.size()) / kBytesPerMegabyte, zone->epsg);
}

}  // namespace

void PelvarExportCommand() {
  OpenedObject<Pelvar> cloud(SelectCloud(AcDb::kForRead, kExportTitle));
  if (cloud) ExportCloud(*cloud);
}
