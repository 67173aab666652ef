// Display-side hooks of the host: object snaps, temporary vectors, the pick box and
// the display events a renderer listens to.
#pragma once
#include <functional>
#include <string_view>
#include <vector>

namespace pelvarhost {

// Given an object-snap mode typed before a point ("nea", "nod", "end", ...) and the point,
// may set snapped and return true. Without a hook (the default) no snap is found.
using ObjectSnapHook = std::function<bool(std::wstring_view mode, const double point[3], double snapped[3])>;
void SetObjectSnapHook(ObjectSnapHook hook);
// The modes recognised before a point.
bool IsObjectSnapMode(std::wstring_view word);
bool FindObjectSnap(std::wstring_view mode, const double point[3], double snapped[3]);

// A vector drawn by acedGrDraw; kept until REDRAW or REGEN.
struct TemporaryVector {
  double from[3];
  double to[3];
  int colour;
  bool highlight;
};
const std::vector<TemporaryVector>& TemporaryVectors();
void ClearTemporaryVectors();

// The rubber band of the point prompt waiting now: a line from its base point, or the
// rectangle with the base point as one corner (acedGetCorner). The window draws it to the
// cursor; the console has none.
enum class RubberBandKind { None, Line, Rectangle };
struct RubberBand {
  RubberBandKind kind = RubberBandKind::None;
  double base[3] = {0, 0, 0};
};
RubberBand CurrentRubberBand();
// Sets the rubber band while it lives (the band before it comes back afterwards).
class RubberBandScope {
 public:
  RubberBandScope(RubberBandKind kind, const double* base);
  ~RubberBandScope();
  RubberBandScope(const RubberBandScope&) = delete;
  RubberBandScope& operator=(const RubberBandScope&) = delete;

 private:
  RubberBand previous_;
};

// Width over height of the view that ZOOM fits a window into.
inline constexpr double kViewAspect = 4.0 / 3.0;

// Half-size of the square pick box of entity selection, in world units (default 1.0).
double PickBoxHalfSize();
void SetPickBoxHalfSize(double halfSize);

// Called on REGEN (after the temporary vectors are cleared), REDRAW and acedUpdateDisplay;
// a renderer installs it. Null removes it.
enum class DisplayEvent { Regen, Redraw, Update };
using DisplayListener = std::function<void(DisplayEvent event)>;
void SetDisplayListener(DisplayListener listener);
void NotifyDisplay(DisplayEvent event);

}  // namespace pelvarhost
