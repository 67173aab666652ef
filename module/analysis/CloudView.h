// How a command sees the clouds of the current drawing: one plain record per cloud entity
// of model space, taken at the command's start and dropped at its end. The shared
// references keep the cloud image and the override classes alive for that long.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cloudfile/KmqData.h"
#include "entity/Pelvar.h"
#include "entity/Visibility.h"
#include "gemat3d.h"

// What commands print when the drawing has no usable cloud.
inline constexpr const wchar_t* kNoCloudInDrawing = L"\nNo PELVAR in this drawing.";

struct CloudView {
  KmqDataPtr data;                  // never null in a collected view
  AcGeMatrix3d toWorld;             // the entity's transform: cloud to world
  AcGeMatrix3d toCloud;             // its inverse, computed once
  uint32_t classMask = 0;
  ClassOverridesPtr classOverrides;  // may be null
  bool elevFilterOn = false;
  double elevMin = 0.0;
  double elevMax = 0.0;
};

using CloudViews = std::vector<CloudView>;

// The view of one cloud entity (open for read) over its loaded image.
CloudView MakeCloudView(const Pelvar& entity, KmqDataPtr data);

// Clears the list and refills it with the cloud entities of the working database's model
// space, in drawing order. Entities whose file cannot be loaded are left out silently.
void CollectCloudViews(CloudViews& views);

// Collects the views; when there are none, prints kNoCloudInDrawing and returns false.
bool CollectCloudViewsOrSayNone(CloudViews& views);

// The view's visibility settings as one rule.
VisibilityRule VisibilityRuleOf(const CloudView& view);

// The view's override bytes, or null when it has none (or they do not match the cloud).
const uint8_t* OverrideBytesOf(const CloudView& view);

// The effective class of point i and whether the point is visible in the view.
uint8_t EffectiveClassAt(const CloudView& view, size_t i);
bool IsVisibleAt(const CloudView& view, size_t i);
