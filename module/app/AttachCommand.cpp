// PELVARATTACH: the user picks a cloud file (the Downloads folder is the default), the
// file is loaded and checked, a cloud entity naming it is added to model space with the
// user's default class mask, a summary is printed, and the view zooms to the cloud.
#include "app/AttachCommand.h"

#include <string>

#include "aced.h"
#include "cloudfile/CloudReader.h"
#include "app/AppendCloud.h"
#include "app/DownloadsFolder.h"
#include "ui/PanelHooks.h"

namespace {

constexpr const ACHAR* kFileTitle = L"Select Mardel cloud";
constexpr const ACHAR* kCloudExtension = L"kmt";
// The zoom window widens the cloud's square by this fraction on each side.
constexpr double kZoomMargin = 0.03;

// The chosen file, or empty when the user chose none.
std::wstring AskCloudFile() {
  std::wstring folder = DownloadsFolderWithSeparator();
  resbuf* result = acutNewRb(RTSTR);
  std::wstring path;
  if (acedGetFileD(kFileTitle, folder.c_str(), kCloudExtension, 0, result) == RTNORM && result->restype == RTSTR &&
      result->resval.rstring != nullptr)
    path = result->resval.rstring;
  acutRelRb(result);
  return path;
}

void PrintSummary(const KmqData& data) {
  acutPrintf(L"\n%ls: %u pts, square R=%.0f ft @ (%.2f, %.2f) EPSG:%u.", TileNameText(data).c_str(), data.pointCount,
             static_cast<double>(data.halfSize), data.centerX, data.centerY, data.epsg);
}

void ZoomToCloud(const KmqData& data) {
  const ads_point low = {data.originX - kZoomMargin * data.sizeX, data.originY - kZoomMargin * data.sizeY, 0.0};
  const ads_point high = {data.originX + (1 + kZoomMargin) * data.sizeX,
                          data.originY + (1 + kZoomMargin) * data.sizeY, 0.0};
  acedCommandS(RTSTR, L"_.ZOOM", RTSTR, L"_W", RT3DPOINT, low, RT3DPOINT, high, RTNONE);
  acedCommandS(RTSTR, L"_.REGEN", RTNONE);
}

}  // namespace

void PelvarAttachCommand() {
  std::wstring path = AskCloudFile();
  if (path.empty()) return;
  std::wstring error;
  KmqDataPtr data = LoadCloudFile(path, &error);
  if (!data) {
    acutPrintf(L"\nCloud load failed: %ls", error.c_str());
    return;
  }
  if (!AppendCloudEntity(path)) return;
  PrintSummary(*data);
  acutPrintf(L"\nAttached. Set the drawing coordinate system to EPSG:%u before trusting positions.", data->epsg);
  ZoomToCloud(*data);
  ShowPanel();
  if (IsPanelVisible() && HasPanelDialog()) RefreshPanel();
}
