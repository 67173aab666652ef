// ept.json bounds and spatial reference, and hierarchy pages.
#include <gtest/gtest.h>

#include "retrieval/EptHierarchy.h"
#include "retrieval/EptMetadata.h"

namespace {

TEST(ParseEptBoundsTest, ReadsTheSixNumbersOfTheBoundsKeyOnly) {
  auto bounds = ParseEptBounds(
      R"({"boundsConforming": [9, 9, 9, 10, 10, 10],
          "bounds" : [ -8572602.5,4864941 , -12.25,
                       -8570554.5e0, 4866989, 2216 ], "srs": {}})");
  ASSERT_TRUE(bounds);
  EXPECT_EQ(bounds->minX, -8572602.5);
  EXPECT_EQ(bounds->minY, 4864941.0);
  EXPECT_EQ(bounds->minZ, -12.25);
  EXPECT_EQ(bounds->maxX, -8570554.5);
  EXPECT_EQ(bounds->maxY, 4866989.0);
  EXPECT_EQ(bounds->maxZ, 2216.0);
}

TEST(ParseEptBoundsTest, MissingOrUnusableBoundsGiveNothing) {
  for (const char* json : {
           R"({"boundsConforming": [0, 0, 0, 1, 1, 1]})",
           R"({"bounds": [0, 0, 0, 1, 1]})",
           R"({"bounds": [0, 0, 0, 1, 1, x]})",
           R"({"bounds": [0, 0, 0, nan, 1, 1]})",
           R"({"bounds": [0, 0, 0, 1e999, 1, 1]})",
           R"({"bounds": [5, 0, 0, 5, 1, 1]})",
           R"({"bounds": )",
           "",
       })
    EXPECT_FALSE(ParseEptBounds(json)) << json;
}

TEST(WebMercatorDatasetTest, NoHorizontalEntryIsAcceptedAnotherOneRefused) {
  EXPECT_TRUE(IsWebMercatorDataset(R"({"srs": {"authority": "EPSG", "horizontal": "3857"}})"));
  EXPECT_TRUE(IsWebMercatorDataset(R"({"srs": {"wkt": "PROJCS[... AUTHORITY[\"EPSG\",\"3857\"]]"}})"));
  EXPECT_TRUE(IsWebMercatorDataset(R"({"srs": {"wkt": "EPSG:3857"}})"));
  EXPECT_TRUE(IsWebMercatorDataset(R"({"srs": {}})"));
  EXPECT_FALSE(IsWebMercatorDataset(R"({"srs": {"authority": "EPSG", "horizontal": "6350"}})"));
  EXPECT_FALSE(IsWebMercatorDataset(R"({"srs": {"horizontal": "38570"}})"));
}

TEST(ParseEptHierarchyTest, KeysWithADashAndNumericValuesOnlyLaterPagesWin) {
  EptHierarchy hierarchy;
  ParseEptHierarchy(R"({"0-0-0-0": 120, "1-0-0-0":-1, "1-1-0-0" :  7, "nodash": 5, "2-0-0-0": "x",
                       "3-0-0-0": 99999999999999999999, "1-0-1-0":+4})",
                    hierarchy);
  EXPECT_EQ(hierarchy, (EptHierarchy{{"0-0-0-0", 120}, {"1-0-0-0", -1}, {"1-1-0-0", 7}, {"1-0-1-0", 4}}));
  ParseEptHierarchy(R"({"1-0-0-0": 31, "2-1-1-1": 0})", hierarchy);
  EXPECT_EQ(hierarchy.at("1-0-0-0"), 31);
  EXPECT_EQ(hierarchy.at("2-1-1-1"), 0);
  ParseEptHierarchy(R"({"4-1-1-1": 3, "unterminated)", hierarchy);
  EXPECT_EQ(hierarchy.at("4-1-1-1"), 3);
}

TEST(EptNodeKeyTest, TextIsDepthXYZJoinedByDashes) {
  EXPECT_EQ((EptNodeKey{0, 0, 0, 0}.text()), "0-0-0-0");
  EXPECT_EQ((EptNodeKey{30, 1073741823, -1, 12}.text()), "30-1073741823--1-12");
}

}  // namespace
