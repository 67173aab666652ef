// PELVARPROF in scripted pelvar runs over a cloud with a known ground plane: the samples'
// spacing and elevations, the summary and the feature line through the civil model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/module/analysis/ProgramFixture.h"

namespace {

using programtest::AnalysisProgram;
using terrain::Format;

struct Sample {
  double x, y;
};

// The samples of an alignment at `step`, worked out here: each leg cut into
// max(1, floor(length / step)) equal parts, shared vertices once.
std::vector<Sample> ExpectedSamples(const std::vector<Sample>& vertices, double step) {
  std::vector<Sample> samples = {vertices.front()};
  for (size_t leg = 1; leg < vertices.size(); ++leg) {
    const Sample a = vertices[leg - 1], b = vertices[leg];
    const int parts = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / step));
    for (int k = 1; k <= parts; ++k)
      samples.push_back({a.x + (b.x - a.x) * k / parts, a.y + (b.y - a.y) * k / parts});
  }
  return samples;
}

// The summary line for on-grid samples (all of them inside the grid here).
std::string Summary(const terrain::Cloud& cloud, const std::vector<Sample>& samples, double planLength,
                    const std::string& what, const std::string& note = "") {
  double low = 1e18, high = -1e18;
  for (const Sample& s : samples) low = std::min(low, cloud.Ground(s.x, s.y)), high = std::max(high, cloud.Ground(s.x, s.y));
  const double grade =
      (cloud.Ground(samples.back().x, samples.back().y) - cloud.Ground(samples[0].x, samples[0].y)) / planLength * 100;
  return "\n" + what + ": " + std::to_string(samples.size()) + " samples, plan length " + Format("%.1f", planLength) +
         " ft, elev " + Format("%.2f", low) + ".." + Format("%.2f", high) + " ft, grade " + Format("%.2f", grade) + "%" +
         note;
}

// The vertices stand at the samples, on the known ground.
void ExpectOnTheGround(const terrain::Cloud& cloud, const std::vector<Sample>& samples,
                       const std::vector<std::array<double, 3>>& vertices, double planTolerance, double zTolerance) {
  ASSERT_EQ(vertices.size(), samples.size());
  for (size_t k = 0; k < samples.size(); ++k) {
    EXPECT_NEAR(vertices[k][0], samples[k].x, planTolerance) << k;
    EXPECT_NEAR(vertices[k][1], samples[k].y, planTolerance) << k;
    EXPECT_NEAR(vertices[k][2], cloud.Ground(samples[k].x, samples[k].y), zTolerance) << k;
  }
}

constexpr const char* kPolylineSummary = "3D polyline (convert: 'Create Feature Line from Objects')";

TEST_F(AnalysisProgram, ProfileOnALineBecomesAFeatureLineOnTheKnownGround) {
  terrain::Cloud cloud;
  // A repeated click adds nothing; the ground spacing of 12 ft gives a step of 6 ft.
  std::string out = Run(Attach(cloud, "known.kmt") + "PELVARPROF\n1100,2100\n1100,2100\n1163,2100\n\n"
                        "CIVILLIST\nLANDXMLOUT\nprofile.xml\n");
  const std::vector<Sample> samples = ExpectedSamples({{1100, 2100}, {1163, 2100}}, 6.0);
  ASSERT_EQ(samples.size(), 11u);  // 63 ft in 10 parts of 6.3 ft
  EXPECT_NE(From(out, "PELVARPROF").find("Next point <Enter to finish>: 1100,2100\nNext point <Enter to finish>: 1163,2100\n"
                                         "Next point <Enter to finish>: " +
                                         Summary(cloud, samples, 63.0, "Feature line") + "\nCommand: CIVILLIST"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\nFeature lines: 1\n  \"Mardel ground profile\": 11 vertices"), std::string::npos) << out;
  std::string name;
  auto vertices = FeatureLineVertices(home_ / "profile.xml", name);
  EXPECT_EQ(name, "Mardel ground profile");
  ExpectOnTheGround(cloud, samples, vertices, 1e-9, 1e-5);
}

TEST_F(AnalysisProgram, ProfileOnAPolylineWithoutCivilLeavesAPolylineOnTheProfileLayer) {
  terrain::Cloud cloud;
  const std::vector<Sample> vertices = {{1100, 2100}, {1160, 2100}, {1160, 2148}, {1150, 2152}};
  std::string out = Run(Attach(cloud, "known.kmt") + "PELVARPROF\n1100,2100\n1160,2100\n1160,2148\n1150,2152\n\n"
                        "PELVARPROF\n1200,2200\n1205,2200\n\nLAYER\n?\n\nLIST\nALL\n",
                        {"--no-civil"});
  const std::vector<Sample> samples = ExpectedSamples(vertices, 6.0);
  ASSERT_EQ(samples.size(), 20u);  // 1 + 10 + 8 + 1 (a leg shorter than two steps keeps its ends only)
  const double length = 60.0 + 48.0 + std::hypot(10.0, 4.0);
  const std::string failure = "\n  (FeatureLine: Civil 3D is not available (no active Civil document))";
  EXPECT_NE(out.find("1150,2152\nNext point <Enter to finish>: " + failure + Summary(cloud, samples, length, kPolylineSummary)),
            std::string::npos)
      << out;
  const std::vector<Sample> shortLeg = ExpectedSamples({{1200, 2200}, {1205, 2200}}, 6.0);
  EXPECT_NE(out.find(failure + Summary(cloud, shortLeg, 5.0, kPolylineSummary)), std::string::npos) << out;
  EXPECT_NE(out.find("\nPELVAR_PROFILE  colour 40\n"), std::string::npos) << out;
  // Both polylines lie on the profile layer; the first passes through the samples.
  const size_t first = out.find("POLYLINE  Layer: \"PELVAR_PROFILE\"");
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_NE(out.find("POLYLINE  Layer: \"PELVAR_PROFILE\"", first + 1), std::string::npos) << out;
  ExpectOnTheGround(cloud, samples, ListedVertices(out, first), 1e-4, 6e-5);  // LIST prints 4 decimals
}

TEST_F(AnalysisProgram, ProfileNotesOffGridSamplesAndRefusesWhatItCannotSample) {
  terrain::Cloud cloud;
  std::string out = Run(Attach(cloud, "known.kmt") +
                        "PELVARPROF\n1990,2100\n2040,2100\n\n"  // leaves the grid at x = 2020
                        "PELVARPROF\n1100,2100\n\n"             // one point only
                        "PELVARPROF\n2500,2500\n2600,2500\n\n"  // beyond the grid
                        "PELVARPROF\n1100,2100\n9000000,2100\n1150,2100\n\n");  // a leg of 1.5 million samples
  // 50 ft in 8 parts: 1990 to 2015 on the grid, 2021.25 to 2040 off it; plan length counts all.
  const std::vector<Sample> onGrid = {{1990, 2100}, {1996.25, 2100}, {2002.5, 2100}, {2008.75, 2100}, {2015, 2100}};
  EXPECT_NE(out.find(Summary(cloud, onGrid, 50.0, "Feature line",
                             "  (part of alignment was off-grid)")),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Next point <Enter to finish>: \nNeed at least two points.\nCommand: "), std::string::npos) << out;
  EXPECT_NE(out.find("2600,2500\nNext point <Enter to finish>: \nAlignment is outside the cloud ground grid.\nCommand: "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("9000000,2100\nThat leg would need more than 1000000 samples at 6.0 ft; point not taken.\n"
                     "Next point <Enter to finish>: 1150,2100\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(Summary(cloud, ExpectedSamples({{1100, 2100}, {1150, 2100}}, 6.0), 50.0, "Feature line")),
            std::string::npos)
      << out;
}

}  // namespace
