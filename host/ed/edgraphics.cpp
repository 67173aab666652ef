// Object snaps, temporary vectors, the pick box and display events.
#include <array>

#include "acedads.h"
#include "edanswer.h"
#include "textcase.h"
#include "hostgraphics.h"

namespace pelvarhost {
namespace {

struct GraphicsState {
  ObjectSnapHook snapHook;
  std::vector<TemporaryVector> vectors;
  double pickBoxHalfSize = 1.0;
  DisplayListener listener;
  RubberBand band;
};

GraphicsState& State() {
  static GraphicsState state;
  return state;
}

constexpr std::array<const wchar_t*, 14> kSnapModes = {L"end", L"mid", L"cen", L"nod", L"qua", L"int", L"ins",
                                                       L"per", L"tan", L"nea", L"app", L"ext", L"par", L"gcen"};

}  // namespace

void SetObjectSnapHook(ObjectSnapHook hook) { State().snapHook = std::move(hook); }

bool IsObjectSnapMode(std::wstring_view word) {
  for (const wchar_t* mode : kSnapModes)
    if (SameTextIgnoringCase(word, mode)) return true;
  return false;
}

bool FindObjectSnap(std::wstring_view mode, const double point[3], double snapped[3]) {
  if (!State().snapHook) return false;
  return State().snapHook(mode, point, snapped);
}

const std::vector<TemporaryVector>& TemporaryVectors() { return State().vectors; }
void ClearTemporaryVectors() { State().vectors.clear(); }

double PickBoxHalfSize() { return State().pickBoxHalfSize; }
void SetPickBoxHalfSize(double halfSize) {
  if (halfSize > 0) State().pickBoxHalfSize = halfSize;
}

RubberBand CurrentRubberBand() { return State().band; }

RubberBandScope::RubberBandScope(RubberBandKind kind, const double* base) : previous_(State().band) {
  RubberBand band;
  if (base != nullptr) {
    band.kind = kind;
    for (int i = 0; i < 3; ++i) band.base[i] = base[i];
  }
  State().band = band;
}

RubberBandScope::~RubberBandScope() { State().band = previous_; }

void SetDisplayListener(DisplayListener listener) { State().listener = std::move(listener); }
void NotifyDisplay(DisplayEvent event) {
  if (State().listener) State().listener(event);
}

}  // namespace pelvarhost

int acedGrDraw(const ads_point from, const ads_point to, int color, int hl) {
  if (from == nullptr || to == nullptr) return RTERROR;
  pelvarhost::TemporaryVector v{{from[0], from[1], from[2]}, {to[0], to[1], to[2]}, color, hl != 0};
  pelvarhost::State().vectors.push_back(v);
  return RTNORM;
}

void acedUpdateDisplay() { pelvarhost::NotifyDisplay(pelvarhost::DisplayEvent::Update); }

int acedRedraw(const ads_name entity, int mode) {
  if (entity == nullptr) {
    pelvarhost::ClearTemporaryVectors();
    pelvarhost::NotifyDisplay(pelvarhost::DisplayEvent::Redraw);
  }
  return RTNORM;
}

