#include "entity/Visibility.h"

#include "entity/Pelvar.h"

VisibilityRule VisibilityRuleOf(const Pelvar& entity) {
  VisibilityRule rule;
  rule.classMask = entity.classMask();
  rule.elevFilterOn = entity.elevFilterOn();
  rule.elevMin = entity.elevMin();
  rule.elevMax = entity.elevMax();
  return rule;
}

const uint8_t* OverrideBytes(const ClassOverridesPtr& overrides, const KmqData& data) {
  if (!overrides || overrides->size() != data.pointCount) return nullptr;
  return overrides->data();
}
