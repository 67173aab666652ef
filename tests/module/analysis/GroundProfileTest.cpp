// The ground profile's sampling step and leg division.
#include <gtest/gtest.h>

#include <limits>

#include "analysis/GroundProfile.h"

namespace {

CloudView ViewWithGroundCell(float cell) {
  auto data = std::make_shared<KmqData>();
  data->groundCell = cell;
  CloudView view;
  view.data = data;
  return view;
}

TEST(GroundProfileStep, IsHalfTheFinestGroundSpacingButAtLeastOneFoot) {
  EXPECT_EQ(ProfileStep({ViewWithGroundCell(3.0f), ViewWithGroundCell(1.0f)}), 1.0);
  EXPECT_EQ(ProfileStep({ViewWithGroundCell(10.0f)}), 5.0);
  EXPECT_EQ(ProfileStep({ViewWithGroundCell(10.0f), ViewWithGroundCell(7.0f)}), 3.5);
  EXPECT_EQ(ProfileStep({ViewWithGroundCell(0.0f)}), 1.0);
}

TEST(GroundProfileLeg, IsCutIntoWholeStepsWithAtLeastOnePartAndACap) {
  EXPECT_EQ(LegParts(12.0, 5.0), 2u);  // samples at 0, 6 and 12 ft
  EXPECT_EQ(LegParts(9.99, 5.0), 1u);  // shorter than two steps: its two ends only
  EXPECT_EQ(LegParts(0.0, 5.0), 1u);
  EXPECT_EQ(LegParts(1'000'000.0, 1.0), 1'000'000u);
  EXPECT_EQ(LegParts(1'000'001.0, 1.0), std::nullopt);
  EXPECT_EQ(LegParts(1e300, 1.0), std::nullopt);
  EXPECT_EQ(LegParts(std::numeric_limits<double>::quiet_NaN(), 1.0), std::nullopt);
  EXPECT_EQ(LegParts(std::numeric_limits<double>::infinity(), 1.0), std::nullopt);
}

}  // namespace
