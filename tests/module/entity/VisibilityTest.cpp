// The visibility rule and the effective class.
#include <gtest/gtest.h>

#include "entity/Pelvar.h"
#include "entity/Visibility.h"

namespace {

TEST(Visibility, DefaultMaskHidesUnclassifiedAndVegetationOnly) {
  std::vector<unsigned> hidden;
  for (unsigned cls = 0; cls < 32; ++cls)
    if (!IsClassShown(Pelvar::kDefaultClassMask, cls)) hidden.push_back(cls);
  EXPECT_EQ(hidden, (std::vector<unsigned>{1, 3, 4, 5}));
}

TEST(Visibility, ClassesAbove31WrapToBitClassMod32) {
  for (uint32_t mask : {Pelvar::kDefaultClassMask, 0x2u, 0xFFFFFFFDu, 0u}) {
    SCOPED_TRACE(mask);
    EXPECT_EQ(IsClassShown(mask, 33), IsClassShown(mask, 1));
    for (unsigned cls = 32; cls < 256; ++cls) EXPECT_EQ(IsClassShown(mask, cls), IsClassShown(mask, cls - 32)) << cls;
  }
  EXPECT_TRUE(IsClassShown(0x2u, 33));
  EXPECT_FALSE(IsClassShown(~0x2u, 33));
}

TEST(Visibility, ElevationWindowIsInclusiveAndOnlyWhenOn) {
  VisibilityRule rule{0xFFFFFFFFu, true, 10.0, 20.0};
  EXPECT_TRUE(IsPointVisible(rule, 2, 10.0));
  EXPECT_TRUE(IsPointVisible(rule, 2, 20.0));
  EXPECT_FALSE(IsPointVisible(rule, 2, 9.999));
  EXPECT_FALSE(IsPointVisible(rule, 2, 20.001));
  rule.elevFilterOn = false;
  EXPECT_TRUE(IsPointVisible(rule, 2, -5000.0));
}

TEST(Visibility, BothTestsMustPass) {
  const VisibilityRule rule{1u << 6, true, 0.0, 100.0};
  EXPECT_TRUE(IsPointVisible(rule, 6, 50.0));
  EXPECT_FALSE(IsPointVisible(rule, 2, 50.0));
  EXPECT_FALSE(IsPointVisible(rule, 6, 150.0));
}

TEST(Visibility, OverrideWinsUnless255) {
  const uint8_t overrides[] = {6, 255, 0};
  EXPECT_EQ(EffectiveClass(2, overrides, 0), 6);
  EXPECT_EQ(EffectiveClass(2, overrides, 1), 2);
  EXPECT_EQ(EffectiveClass(2, overrides, 2), 0);
  EXPECT_EQ(EffectiveClass(9, nullptr, 1), 9);
}

TEST(Visibility, RuleOfAnEntityTakesItsSettings) {
  Pelvar p;
  p.setClassMask(0x44u);
  p.setElevationWindow(true, -2.5, 7.75);
  const VisibilityRule rule = VisibilityRuleOf(p);
  EXPECT_EQ(rule.classMask, 0x44u);
  EXPECT_TRUE(rule.elevFilterOn);
  EXPECT_EQ(rule.elevMin, -2.5);
  EXPECT_EQ(rule.elevMax, 7.75);
}

}  // namespace
