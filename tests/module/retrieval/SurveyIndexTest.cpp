// The survey index: line parsing, the candidates of a point, loading through the byte
// source with its two error texts, and the index shipped with the program at real places.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "retrieval/SurveyIndex.h"
#include "tests/module/retrieval/NetworkFixture.h"

namespace {

using namespace pelvartest;

std::vector<std::string> Names(const std::vector<SurveyIndexEntry>& entries) {
  std::vector<std::string> names;
  for (const SurveyIndexEntry& e : entries) names.push_back(e.name);
  return names;
}

TEST(ParseSurveyIndexTest, CrLfAndAFinalLineWithoutLineFeedParseAlike) {
  auto lf = ParseSurveyIndex("A_2018 2018 5 -80.5 35 -80 35.5\nB_2021 2021 9 -81 34 -79 36");
  auto crlf = ParseSurveyIndex("A_2018 2018 5 -80.5 35 -80 35.5\r\nB_2021 2021 9 -81 34 -79 36\r\n");
  ASSERT_EQ(Names(lf), (std::vector<std::string>{"A_2018", "B_2021"}));
  ASSERT_EQ(Names(crlf), Names(lf));
  EXPECT_EQ(crlf[1].year, 2021);
  EXPECT_EQ(crlf[1].count, 9);
  EXPECT_EQ(crlf[1].north, 36.0);
  EXPECT_EQ(lf[0].west, -80.5);
}

TEST(ParseSurveyIndexTest, HeadingsBlankLinesAndTrailingWordsNeitherShiftNorDuplicate) {
  auto entries = ParseSurveyIndex(
      "name year count west south east north\n"
      "\n"
      "A 2018 5 1 2 3 4 and a remark\n"
      "   \t\n"
      "B 2019 -1 1.5e0 +2 3 4\n");
  ASSERT_EQ(Names(entries), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(entries[1].count, -1);
  EXPECT_EQ(entries[1].south, 2.0);
}

TEST(ParseSurveyIndexTest, NamesThatCannotBeFoldersAndNumbersOutOfRangeAreSkipped) {
  std::string longName(256, 'a');
  std::string longest(255, 'b');
  auto entries = ParseSurveyIndex(
      "../etc 2018 1 0 0 1 1\n"
      ". 2018 1 0 0 1 1\n"
      ".. 2018 1 0 0 1 1\n"
      "a/b 2018 1 0 0 1 1\n"
      "a%2e 2018 1 0 0 1 1\n"
      "caf\xc3\xa9 2018 1 0 0 1 1\n" +
      longName + " 2018 1 0 0 1 1\n" +
      longest + " 2018 1 0 0 1 1\n"
      "Y 99999999999 1 0 0 1 1\n"
      "C 2018 99999999999999999999 0 0 1 1\n"
      "N 2018 1 nan 0 1 1\n"
      "I 2018 1 0 0 inf 1\n"
      "E 2018 1 0 0 1 1e999\n"
      "ok.name-1_2 2018 1 0 0 1 1\n");
  EXPECT_EQ(Names(entries), (std::vector<std::string>{longest, "ok.name-1_2"}));
}

TEST(ParseSurveyIndexTest, OnlyUnparsableLinesGiveNothing) {
  EXPECT_TRUE(ParseSurveyIndex("# nothing here\nA B C\n\n").empty());
  EXPECT_TRUE(ParseSurveyIndex("").empty());
}

TEST(FindCandidateSurveysTest, EdgesCountAndNewestComeFirstThenLargest) {
  std::vector<SurveyIndexEntry> entries = {
      {"Old", 2018, 100, -81, 35, -80, 36},  {"NewSmall", 2021, 5, -81, 35, -80, 36},
      {"Far", 2022, 1, -70, 35, -69, 36},    {"NewLarge", 2021, 9, -81, 35, -80, 36},
      {"Edge", 2000, 0, -80.5, 34, -80, 35.5},
  };
  EXPECT_EQ(Names(FindCandidateSurveys(entries, -80.5, 35.5)),
            (std::vector<std::string>{"NewLarge", "NewSmall", "Old", "Edge"}));
  EXPECT_EQ(Names(FindCandidateSurveys(entries, -80.5, 35.6)), (std::vector<std::string>{"NewLarge", "NewSmall", "Old"}));
  EXPECT_TRUE(FindCandidateSurveys(entries, 0, 0).empty());
}

class LoadSurveyIndexTest : public NetworkFixture {};

TEST_F(LoadSurveyIndexTest, ReadsTheIndexFromTheServer) {
  server().setBody(kSurveyIndexPath, "A_2018 2018 5 -81 35 -80 36\n");
  std::wstring error;
  auto entries = LoadSurveyIndex(error);
  EXPECT_EQ(Names(entries), std::vector<std::string>{"A_2018"});
  EXPECT_EQ(error, L"");
}

TEST_F(LoadSurveyIndexTest, UnreachableAndEmptyIndexesHaveTheirTexts) {
  std::wstring error;
  server().setFault(kSurveyIndexPath, {FaultKind::kNotFound});
  EXPECT_TRUE(LoadSurveyIndex(error).empty());
  EXPECT_EQ(error, L"datasets.txt fetch failed (index.mardel.invalid unreachable?)");

  server().clearFaults();
  server().setBody(kSurveyIndexPath, "heading only\n\n");
  error.clear();
  EXPECT_TRUE(LoadSurveyIndex(error).empty());
  EXPECT_EQ(error, L"datasets.txt parsed empty");
}

// The index shipped with the program, read through the host's default route.
class ShippedIndexTest : public ::testing::Test {
 protected:
  TempFolder config_{"shipped"};
  ScopedEnv configHome_{"XDG_CONFIG_HOME", config_.path().string()};
};

TEST_F(ShippedIndexTest, RealPlacesGiveTheirRealSurveysNewestFirst) {
  std::wstring error;
  std::vector<SurveyIndexEntry> entries = LoadSurveyIndex(error);
  ASSERT_EQ(error, L"");
  EXPECT_EQ(entries.size(), 1079u);
  struct Place {
    double lon, lat;
    std::vector<std::string> newestFirst;
  };
  // The surveys whose outlines' bounding boxes hold these places, worked out from the
  // outline files themselves.
  const Place places[] = {
      {-134.42, 58.30, {"AK_Juneau_2012"}},  // Juneau, Alaska
      {-93.62, 42.03, {"IA_FullState"}},     // Ames, Iowa (no year in the name)
      {-73.97, 40.78,                        // Central Park, New York
       {"USGS_Lidar_Point_Cloud_NJ_SdL5_2014_LAS_2015", "ARRA-LFTNE_NewYork_2010", "NY_NewYorkCity"}},
      {-86.15, 39.50,  // Johnson County, Indiana
       {"USGS_LPC_IN_JohnsonCo_2011_LAS_2016", "USGS_LPC_IN_JohnsonCo_2011_LAS_2015", "ARRA-IN_Flood_2010"}},
      {-105.27, 40.01,  // Boulder, Colorado
       {"USGS_LPC_CO_Central_Western_2016_LAS_2018", "USGS_LPC_CO_SoPlatteRiver_Lot5_2013_LAS_2015"}},
      {-77.04, 38.90,  // Washington, D.C.
       {"USGS_LPC_MD_PA_SandySupp_2014_LAS_2016", "USGS_LPC_MD_VA_Sandy_NCR_2014_LAS_2015",
        "VA_FEMA_NorthCounties_2011"}},
  };
  for (const Place& place : places)
    EXPECT_EQ(Names(FindCandidateSurveys(entries, place.lon, place.lat)), place.newestFirst)
        << place.lon << " " << place.lat;
  EXPECT_TRUE(FindCandidateSurveys(entries, 0.0, 0.0).empty());
}

}  // namespace
