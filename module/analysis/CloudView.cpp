#include "analysis/CloudView.h"

#include <utility>

#include "acutads.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"

CloudView MakeCloudView(const Pelvar& entity, KmqDataPtr data) {
  CloudView view;
  view.data = std::move(data);
  view.toWorld = entity.transform();
  view.toCloud = view.toWorld.inverse();
  view.classMask = entity.classMask();
  view.classOverrides = entity.ClassOverrides();
  view.elevFilterOn = entity.elevFilterOn();
  view.elevMin = entity.elevMin();
  view.elevMax = entity.elevMax();
  return view;
}

void CollectCloudViews(CloudViews& views) {
  views.clear();
  VisitModelSpaceEntities(acdbHostApplicationServices()->workingDatabase(), [&views](const AcDbEntity& entity) {
    const Pelvar* cloud = Pelvar::cast(&entity);
    if (cloud == nullptr) return true;
    KmqDataPtr data = cloud->CloudData();
    if (data != nullptr) views.push_back(MakeCloudView(*cloud, std::move(data)));
    return true;
  });
}

bool CollectCloudViewsOrSayNone(CloudViews& views) {
  CollectCloudViews(views);
  if (views.empty()) acutPrintf(kNoCloudInDrawing);
  return !views.empty();
}

VisibilityRule VisibilityRuleOf(const CloudView& view) {
  VisibilityRule rule;
  rule.classMask = view.classMask;
  rule.elevFilterOn = view.elevFilterOn;
  rule.elevMin = view.elevMin;
  rule.elevMax = view.elevMax;
  return rule;
}

const uint8_t* OverrideBytesOf(const CloudView& view) {
  return view.data ? OverrideBytes(view.classOverrides, *view.data) : nullptr;
}

uint8_t EffectiveClassAt(const CloudView& view, size_t i) {
  return EffectiveClass(view.data->points[i].cls, OverrideBytesOf(view), i);
}

bool IsVisibleAt(const CloudView& view, size_t i) {
  const KmqPoint& p = view.data->points[i];
  return IsPointVisible(VisibilityRuleOf(view), EffectiveClassAt(view, i), DecodeZ(*view.data, p));
}
