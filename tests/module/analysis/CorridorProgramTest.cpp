// PELVARPROFC in scripted pelvar runs over a generated bridge deck whose points are known:
// each station's Max and Median are worked out here from the placed points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/module/analysis/ProgramFixture.h"

namespace {

using programtest::AnalysisProgram;

constexpr double kDeckY = 2500.0;

// A deck of class-17 points from x = 1100 to 1200, 12 ft wide, rising 0.05 ft per ft and
// crowned 0.1 ft per ft off its middle; tall vegetation over it is hidden by the default mask.
terrain::Cloud DeckCloud() {
  terrain::Cloud cloud;
  for (int i = 0; i <= 200; ++i) {
    for (int j = -6; j <= 6; ++j) {
      const double x = 1100.0 + 0.5 * i, y = kDeckY + j;
      const double z = std::round((130.0 + 0.05 * (x - 1100.0) + 0.1 * std::abs(j)) * 1024) / 1024;
      cloud.points.push_back({x, y, z, 17, 0});
    }
  }
  for (double x : {1120.0, 1150.5, 1170.0}) cloud.points.push_back({x, kDeckY + 0.5, 160.0, 5, 0});
  return cloud;
}

// The station elevations worked out from the placed points: visible deck points within
// the half-width of the station at (1100 + chainage, kDeckY).
double Expected(const terrain::Cloud& cloud, double chainage, double halfWidth, bool median) {
  std::vector<double> z;
  for (const terrain::Point& p : cloud.points) {
    const double dx = p.x - (1100.0 + chainage), dy = p.y - kDeckY;
    if (p.cls == 17 && dx * dx + dy * dy <= halfWidth * halfWidth) z.push_back(p.z);
  }
  std::sort(z.begin(), z.end());
  EXPECT_FALSE(z.empty());
  return z.empty() ? 0.0 : median ? z[z.size() / 2] : z.back();
}

constexpr const char* kTitle =
    "Command: PELVARPROFC\nProfile over ACTIVE classes (tick only Bridge in the panel for a bridge deck).\n"
    "Select cloud <Enter = first in drawing>: \nActive classes: 0 2 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 "
    "24 25 26 27 28 29 30 31\nSelect centerline (line/polyline): ";

TEST_F(AnalysisProgram, CorridorProfileFollowsTheDecksMedianAndMaximum) {
  const terrain::Cloud cloud = DeckCloud();
  std::string out = Run(Attach(cloud, "deck.kmt") + "LINE\n1100,2500\n1200,2500\n\n"
                        "PELVARPROFC\n\n1150,2500\n\n10\nMedian\n\nCIVILLIST\nLANDXMLOUT\nprofc.xml\n"
                        // the feature line lies on the centreline and is picked first: erased, the line is
                        "ERASE\n1150,2500\n\nPELVARPROFC\n\n1150,2500\n3\n10\n\nNo\nLIST\nALL\n");
  const std::string median = From(out, "PELVARPROFC");
  EXPECT_EQ(median.substr(0, median.find("Command: CIVILLIST")),
            std::string(kTitle) + "1150,2500\nCorridor half-width, ft <5>: \nStation step, ft <5>: 10\n"
            "Station elevation [Max/Median] <Max>: Median\n11 stations, 100 ft. 3D polyline created.\n"
            "Convert to Civil 3D feature line? [Yes/No] <Yes>: \nFeature line \"PROF KNOWN TILE\" created.\n");
  std::string name;
  const auto line = FeatureLineVertices(home_ / "profc.xml", name);
  EXPECT_EQ(name, "PROF KNOWN TILE");
  ASSERT_EQ(line.size(), 11u);
  for (int k = 0; k <= 10; ++k) {
    EXPECT_EQ(line[k][0], 1100.0 + 10 * k);
    EXPECT_EQ(line[k][1], kDeckY);
    EXPECT_NEAR(line[k][2], Expected(cloud, 10.0 * k, 5.0, true), 1e-9) << k;
  }

  const size_t second = out.find("Command: PELVARPROFC", out.find("Command: CIVILLIST"));
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(out.find("Corridor half-width, ft <5>: 3\nStation step, ft <5>: 10\nStation elevation [Max/Median] <Max>: \n"
                     "11 stations, 100 ft. 3D polyline created.\nConvert to Civil 3D feature line? [Yes/No] <Yes>: No\n"
                     "Command: LIST",
                     second),
            std::string::npos)
      << out;
  const auto kept = ListedVertices(out, out.find("Command: LIST"));
  ASSERT_EQ(kept.size(), 11u);
  for (int k = 0; k <= 10; ++k) EXPECT_NEAR(kept[k][2], Expected(cloud, 10.0 * k, 3.0, false), 6e-5) << k;
  EXPECT_GT(Expected(cloud, 50.0, 3.0, false), Expected(cloud, 50.0, 3.0, true));
}

TEST_F(AnalysisProgram, CorridorProfileRefusesWhatItCannotProfile) {
  terrain::Cloud hidden;
  hidden.points.push_back({1150.0, 2500.0, 120.0, 5, 0});
  std::string out = Run(Attach(DeckCloud(), "deck.kmt") +
                        "POINT\n1300,2700\nPELVARPROFC\n\n1300,2700\n"                         // not a curve
                        "PLINE\n1150,2503\n1154,2503\n\nPELVARPROFC\n\n1152,2503\n\n\n\n"  // one station only
                        "LINE\n1100,2500\n1200,2500\n\nPELVARPROFC\n\n1150,2500\n\n0.000001\n\n");  // a million stations
  EXPECT_NE(out.find("1300,2700\nNot a curve.\nCommand: "), std::string::npos) << out;
  EXPECT_NE(out.find("1152,2503\nCorridor half-width, ft <5>: \nStation step, ft <5>: \n"
                     "Station elevation [Max/Median] <Max>: \n"
                     "Fewer than 2 stations had points (corridor too narrow or classes off).\nCommand: "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("0.000001\nStation elevation [Max/Median] <Max>: \n"
                     "Too many stations (more than 1000000); use a longer station step.\nCommand: "),
            std::string::npos)
      << out;

  std::string none = Run(Attach(hidden, "hidden.kmt") + "LINE\n1100,2500\n1200,2500\n\nPELVARPROFC\n\n1150,2500\n\n\n\n");
  EXPECT_NE(none.find("Station elevation [Max/Median] <Max>: \nNo points in the active classes.\nCommand: "),
            std::string::npos)
      << none;
}

TEST_F(AnalysisProgram, CorridorProfileWithoutCivilKeepsThePolyline) {
  std::string out = Run(Attach(DeckCloud(), "deck.kmt") + "LINE\n1100,2500\n1200,2500\n\nPELVARPROFC\n\n1150,2500\n\n\n\n\n"
                        "LIST\nALL\n",
                        {"--no-civil"});
  EXPECT_NE(out.find("21 stations, 100 ft. 3D polyline created.\nConvert to Civil 3D feature line? [Yes/No] <Yes>: \n"
                     "Feature line failed (Civil 3D required): Civil 3D is not available (no active Civil document). "
                     "3D polyline kept.\nCommand: LIST"),
            std::string::npos)
      << out;
  EXPECT_EQ(ListedVertices(out, out.find("Command: LIST")).size(), 21u);
}

}  // namespace
