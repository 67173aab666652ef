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
