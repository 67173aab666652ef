#include "classify/ReclassCommand.h"

#include <cwchar>
#include <optional>

#include "aced.h"
#include "classify/ClassOverrides.h"
#include "classify/ReclassEdits.h"

namespace {

constexpr const ACHAR* kTargetKeywords = L"Ground Building Water Vegetation Unclassified Number Reset";
constexpr const ACHAR* kTargetPrompt =
    L"\nReclassify to [Ground/Building/Water/Vegetation/Unclassified/Number/Reset] <Ground>: ";
constexpr const ACHAR* kClassNumberPrompt = L"\nLAS class number (0-254): ";
constexpr const ACHAR* kFirstCornerPrompt = L"\nFirst corner of area <Enter to finish>: ";
constexpr const ACHAR* kOppositeCornerPrompt = L"Opposite corner: ";

// The largest class an edit can give: 255 stands for "no override".
constexpr short kLargestEditClass = kNoOverride - 1;

struct NamedClass {
  const ACHAR* keyword;
  uint8_t cls;
};
constexpr NamedClass kNamedClasses[] = {
    {L"Building", kBuilding}, {L"Water", kWater}, {L"Vegetation", kHighVegetation}, {L"Unclassified", kUnclassified}};

void RegenerateDrawing() { acedCommandS(RTSTR, L"_.REGEN", RTNONE); }

// The class typed after "Number", or none (silently) for anything but 0..254.
std::optional<uint8_t> AskClassNumber() {
  short number = 0;
  if (acedGetShort(kClassNumberPrompt, &number) != RTNORM) return std::nullopt;
  if (number < 0 || number > kLargestEditClass) return std::nullopt;
  return static_cast<uint8_t>(number);
}

// The class a keyword stands for; "Ground" and any keyword not listed mean ground.
uint8_t ClassOfKeyword(const ACHAR* keyword) {
  for (const NamedClass& named : kNamedClasses)
    if (std::wcscmp(keyword, named.keyword) == 0) return named.cls;
  return kGround;
}

struct Target {
  bool reset = false;
  uint8_t cls = kGround;
};

// What the user asked for; none when the command ends here.
std::optional<Target> AskTarget() {
  ACHAR keyword[32] = L"";
  acedInitGet(0, kTargetKeywords);
  int rc = acedGetKword(kTargetPrompt, keyword);
  if (rc == RTNONE) return Target{};
  if (rc != RTNORM) return std::nullopt;
  if (std::wcscmp(keyword, L"Reset") == 0) return Target{true};
  if (std::wcscmp(keyword, L"Number") != 0) return Target{false, ClassOfKeyword(keyword)};
  std::optional<uint8_t> number = AskClassNumber();
  if (!number) return std::nullopt;
  return Target{false, *number};
}

// Applies rectangles until a corner prompt gets anything but a point; returns how many.
int ApplyRectangles(uint8_t cls) {
  int applied = 0;
  ads_point first;
  ads_point opposite;
  while (acedGetPoint(nullptr, kFirstCornerPrompt, first) == RTNORM &&
         acedGetCorner(first, kOppositeCornerPrompt, opposite) == RTNORM) {
    uint32_t count = ApplyReclassRect(AcGePoint3d(first[0], first[1], first[2]),
                                      AcGePoint3d(opposite[0], opposite[1], opposite[2]), cls);
    acutPrintf(L"\n  %d point(s) -> class %d", static_cast<int>(count), static_cast<int>(cls));
    ++applied;
  }
  return applied;
}

}  // namespace

void PelvarReclassCommand() {
  std::optional<Target> target = AskTarget();
  if (!target) return;
  if (target->reset) {
    ClearReclassEdits();
    RegenerateDrawing();
    return;
  }
  if (ApplyRectangles(target->cls) == 0) return;
  RegenerateDrawing();
  acutPrintf(L"\nStored in the drawing; the .kmt file is untouched. [Reset] undoes all.");
}
