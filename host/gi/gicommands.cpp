// The host's graphics services at the command line: PNGOUT and object snaps on typed points.
#include <cwchar>
#include <cwctype>
#include <limits>
#include <string>

#include "aced.h"
#include "dbapserv.h"
#include "dbmain.h"
#include "dbsymtb.h"
#include "textcase.h"
#include "hostgraphics.h"
#include "hostrender.h"
#include "wcrt.h"
#include "wideformat.h"
#include "wideutf8.h"

namespace pelvarhost {
namespace {

constexpr const wchar_t* kGraphicsCommandGroup = L"ACAD_GRAPHICS";
constexpr const wchar_t* kDefaultPngName = L"view.png";

struct SnapModeName {
  const wchar_t* name;
  AcDb::OsnapMode mode;
};

constexpr SnapModeName kSnapModeNames[] = {
    {L"end", AcDb::kOsModeEnd},   {L"mid", AcDb::kOsModeMid},  {L"cen", AcDb::kOsModeCen},
    {L"nod", AcDb::kOsModeNode},  {L"qua", AcDb::kOsModeQuad}, {L"ins", AcDb::kOsModeIns},
    {L"per", AcDb::kOsModePerp},  {L"tan", AcDb::kOsModeTan},  {L"nea", AcDb::kOsModeNear},
    {L"gcen", AcDb::kOsModeCentroid},
};

bool FindSnapMode(std::wstring_view typed, AcDb::OsnapMode& mode) {
  for (const SnapModeName& entry : kSnapModeNames) {
    if (pelvarhost::SameTextIgnoringCase(typed, entry.name)) {
      mode = entry.mode;
      return true;
    }
  }
  return false;
}

// Asks every entity of model space for its snap points of the mode near the typed point
// and takes the one nearest to it in plan (the first of equals).
bool SnapToModelSpace(std::wstring_view typedMode, const double point[3], double snapped[3]) {
  AcDb::OsnapMode mode;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!FindSnapMode(typedMode, mode) || db == nullptr) return false;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return false;
  const AcGePoint3d pick(point[0], point[1], point[2]);
  double best = std::numeric_limits<double>::infinity();
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    for (; !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
      AcGePoint3dArray snaps;
      AcDbIntArray geomIds;
      entity->getOsnapPoints(mode, 0, pick, pick, AcGeMatrix3d::kIdentity, snaps, geomIds);
      entity->close();
      for (const AcGePoint3d& s : snaps) {
        double d = (s.x - pick.x) * (s.x - pick.x) + (s.y - pick.y) * (s.y - pick.y);
        if (d < best) {
          best = d;
          snapped[0] = s.x, snapped[1] = s.y, snapped[2] = s.z;
        }
      }
    }
    delete it;
  }
  space->close();
  return best < std::numeric_limits<double>::infinity();
}

// One image side: Enter keeps the default; false when the prompt was cancelled.
bool AskImageSide(const wchar_t* name, int defaultValue, int& value) {
  const std::wstring prompt = FormatWide(L"\nImage %ls <%d>: ", name, defaultValue);
  while (true) {
    acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
    int answer = defaultValue;
    int rc = acedGetInt(prompt.c_str(), &answer);
    if (rc == RTNONE) answer = defaultValue;
    else if (rc != RTNORM) return false;
    if (answer <= kMaxImageSide) {
      value = answer;
      return true;
    }
    acutPrintf(L"\nThe image %ls must be at most %d pixels.", name, kMaxImageSide);
  }
}

void CmdPngOut() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) {
    acutPrintf(L"\nNo drawing is open.");
    return;
  }
  // A file prompt ("PNG file <view.png>: "), so that the window offers its file dialog.
  resbuf* rb = acutNewRb(RTSTR);
  int rc = acedGetFileD(L"PNG file", kDefaultPngName, L"png", 1, rb);
  std::wstring path = rc == RTNORM && rb->resval.rstring != nullptr ? rb->resval.rstring : L"";
  acutRelRb(rb);
  if (path.empty()) return;
  int width = kDefaultImageWidth, height = kDefaultImageHeight;
  if (!AskImageSide(L"width", kDefaultImageWidth, width) || !AskImageSide(L"height", kDefaultImageHeight, height))
    return;
  RasterImage image = RenderView(*db, db->viewRecord(), width, height);
  std::string error;
  if (!WritePng(WideToUtf8(path), image, &error)) {
    acutPrintf(L"\nPNG not written: %ls", Utf8ToWide(error).c_str());
    return;
  }
  acutPrintf(L"\nView written to %ls (%d x %d).", path.c_str(), width, height);
}

}  // namespace

void InstallHostGraphics() {
  if (acedRegCmds->lookupCmd(L"PNGOUT", true) == nullptr)
    acedRegCmds->addCommand(kGraphicsCommandGroup, L"PNGOUT", L"PNGOUT", ACRX_CMD_MODAL, CmdPngOut);
  SetObjectSnapHook(SnapToModelSpace);
}

void RemoveHostGraphics() {
  acedRegCmds->removeGroup(kGraphicsCommandGroup);
  SetObjectSnapHook(nullptr);
}

}  // namespace pelvarhost
