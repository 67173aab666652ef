#include "classify/CropCommand.h"

#include <optional>
#include <string>

#include "aced.h"
#include "analysis/CloudChoice.h"
#include "analysis/KeywordPrompt.h"
#include "app/WholeFile.h"
#include "classify/CropCut.h"
#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"
#include "entity/OpenedObject.h"
#include "entity/Visibility.h"
#include "ui/PanelHooks.h"

namespace {

constexpr const ACHAR* kCropTitle = L"Crop a cloud by rectangle.";
constexpr const ACHAR* kFirstCornerPrompt = L"\nFirst corner: ";
constexpr const ACHAR* kOppositeCornerPrompt = L"\nOpposite corner: ";
constexpr const ACHAR* kAttachPrompt = L"\nAttach the cropped cloud? [Yes/No] <Yes>: ";
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

// What the new entity copies from the source.
struct SourceLook {
  AcGeMatrix3d transform;
  uint32_t classMask = 0;
  uint8_t colorMode = 0;
};

// The rectangle in the cloud's own frame from two picked world corners, or none.
std::optional<CropRect> AskRectangle(const AcGeMatrix3d& toCloud) {
  ads_point first;
  ads_point opposite;
  if (acedGetPoint(nullptr, kFirstCornerPrompt, first) != RTNORM) return std::nullopt;
  if (acedGetCorner(first, kOppositeCornerPrompt, opposite) != RTNORM) return std::nullopt;
  const AcGePoint3d a = toCloud * AcGePoint3d(first[0], first[1], 0.0);
  const AcGePoint3d b = toCloud * AcGePoint3d(opposite[0], opposite[1], 0.0);
  return CropRectOf(a.x, a.y, b.x, b.y);
}

// Writes the new file under the first free crop name; its path, or empty after the
// failure message.
std::wstring SaveCrop(const std::wstring& sourcePath, const std::vector<uint8_t>& bytes) {
  std::wstring path = FirstFreeCropPath(sourcePath);
  if (path.empty() || !WriteNewWholeFile(path, bytes)) {
    acutPrintf(L"\nCannot write %ls", (path.empty() ? sourcePath : path).c_str());
    return {};
  }
  // A file of this name may have been loaded before and deleted since.
  ForgetCloudFile(path);
  return path;
}

// Only a plain "No" leaves the new cloud unattached.
bool UserWantsAttach() { return !AnswersKeyword(L"Yes No", kAttachPrompt, L"No"); }

void AttachCrop(const std::wstring& path, const SourceLook& look) {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  auto* cloud = new Pelvar();
  cloud->setDatabaseDefaults(database);
  cloud->setCloudPath(path);
  cloud->setClassMask(look.classMask);
  cloud->setColorMode(look.colorMode);
  cloud->transformBy(look.transform);
  OpenedObject<AcDbBlockTableRecord> space(OpenModelSpace(database, AcDb::kForWrite));
  if (!space || space->appendAcDbEntity(cloud) != Acad::eOk) {
    delete cloud;
    acutPrintf(L"\nAppend failed.");
    return;
  }
  cloud->close();
  acutPrintf(L"\nCropped cloud attached.");
  if (IsPanelVisible() && HasPanelDialog()) RefreshPanel();
}

// Cuts and saves the crop of the open source; the saved path, or empty when the command ends.
std::wstring CropSource(const Pelvar& source) {
  KmqDataPtr data = source.CloudData();
  if (!data) {
    acutPrintf(L"\nCloud file is not available.");
    return {};
  }
  ClassOverridesPtr overrides = source.ClassOverrides();
  std::optional<CropRect> rect = AskRectangle(source.transform().inverse());
  if (!rect) return {};
  CroppedPoints kept = KeepPointsInside(*data, OverrideBytes(overrides, *data), *rect);
  if (kept.size() == 0) {
    acutPrintf(L"\nNo points inside the rectangle.");
    return {};
  }
  const std::vector<uint8_t> bytes = BuildCropFile(*data, kept, *rect);
  if (const wchar_t* refusal = CloudHeaderFailure(bytes)) {
    acutPrintf(L"\nCrop not written: %ls.", refusal);
    return {};
  }
  std::wstring path = SaveCrop(source.cloudPath(), bytes);
  if (path.empty()) return {};
  acutPrintf(L"\nCropped %zu of %u points -> %ls (%.1f MB)", kept.size(), data->pointCount, path.c_str(),
             static_cast<double>(bytes.size()) / kBytesPerMegabyte);
  return path;
}

}  // namespace

void PelvarCropCommand() {
  SourceLook look;
  std::wstring path;
  {
    OpenedObject<Pelvar> source(SelectCloud(AcDb::kForRead, kCropTitle));
    if (!source) return;
    path = CropSource(*source);
    if (path.empty()) return;
    look = {source->transform(), source->classMask(), source->colorMode()};
  }
  if (UserWantsAttach()) AttachCrop(path, look);
}
