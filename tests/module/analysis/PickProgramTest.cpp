// PELVARPICK and PELVARCOGO in scripted pelvar runs over clouds with a known ground plane:
// every printed elevation is compared with the plane or the placed point.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "tests/module/analysis/ProgramFixture.h"

namespace {

using programtest::AnalysisProgram;
using terrain::Format;

std::string PointLine(double e, double n, double z, int cls, int intensity) {
  return "\n  Point   E " + Format("%.2f", e) + "  N " + Format("%.2f", n) + "  Z " + Format("%.2f", z) + " ft  (class " +
         std::to_string(cls) + ", I " + std::to_string(intensity) + ")";
}

std::string GroundLine(double ground, double pointZ) {
  return "\n  Ground  " + Format("%.2f", ground) + " ft   HAG " + Format("%.1f", pointZ - ground) + " ft";
}

TEST_F(AnalysisProgram, PickReportsThePointTheGroundUnderTheClickAndTheHeightAboveIt) {
  terrain::Cloud cloud;
  const terrain::Point roof = cloud.AddAt(500.0, 500.0, 3.0, 6, 200 * 256);
  const terrain::Point low = cloud.AddAt(200.0, 200.0, -2.5, 2, 17 * 256);
  const terrain::Point offGrid = cloud.AddAt(1022.0, 300.0, 0.0, 9, 40 * 256);
  std::string out = Run(Attach(cloud, "known.kmt") +
                        "PELVARPICK\n1475.01,2500\n"  // 24.99 ft from the roof point
                        "PELVARPICK\n1475,2500\n"     // exactly 25 ft: not found
                        "PELVARPICK\n1200,2203.5\n"   // below the ground under the click
                        "PELVARPICK\n2021.5,2300\n"   // beyond the grid's last column
                        "PELVARPICK\n5000,5000\n"
                        "PELVARPICK\n^C\n");
  const std::string expected =
      "Command: PELVARPICK\nPick a point on the cloud: 1475.01,2500" + PointLine(1500, 2500, roof.z, 6, 200) +
      GroundLine(cloud.Ground(1475.01, 2500), roof.z) +
      "\nCommand: PELVARPICK\nPick a point on the cloud: 1475,2500\n  No cloud point nearby.  Ground here: " +
      Format("%.2f", cloud.Ground(1475, 2500)) + " ft" +
      "\nCommand: PELVARPICK\nPick a point on the cloud: 1200,2203.5" + PointLine(1200, 2200, low.z, 2, 17) +
      GroundLine(cloud.Ground(1200, 2203.5), low.z) +
      "\nCommand: PELVARPICK\nPick a point on the cloud: 2021.5,2300" + PointLine(2022, 2300, offGrid.z, 9, 40) +
      "\nCommand: PELVARPICK\nPick a point on the cloud: 5000,5000\n  Outside all cloud squares." +
      "\nCommand: PELVARPICK\nPick a point on the cloud: *Cancel*\nCommand: \n";
  EXPECT_EQ(From(out, "PELVARPICK"), expected);
  EXPECT_LT(low.z - cloud.Ground(1200, 2203.5), 0.0);
}

TEST_F(AnalysisProgram, PickTakesTheNearerPointOfTwoCloudsAndTheGroundOfTheFirst) {
  terrain::Cloud first, second;
  second.originX = 1600.0;
  second.name = "SECOND";
  first.AddAt(800.0, 500.0, 1.0, 2);                             // world (1800, 2500)
  const terrain::Point near = second.AddAt(210.0, 500.0, 10.0, 6);  // world (1810, 2500)
  std::string out = Run(Attach(first, "first.kmt") + Attach(second, "second.kmt") + "PELVARPICK\n1807,2500\n");
  EXPECT_EQ(From(out, "PELVARPICK"), "Command: PELVARPICK\nPick a point on the cloud: 1807,2500" +
                                         PointLine(1810, 2500, near.z, 6, 0) +
                                         GroundLine(first.Ground(1807, 2500), near.z) + "\nCommand: \n");
  EXPECT_NE(Format("%.2f", first.Ground(1807, 2500)), Format("%.2f", second.Ground(1807, 2500)));
}

TEST_F(AnalysisProgram, CommandsWithoutACloudSaySo) {
  std::string out = Run("PELVARPICK\nPELVARCOGO\nPELVARPROF\nPELVARSURF\n");
  EXPECT_NE(out.find("Command: PELVARPICK\nNo PELVAR in this drawing.\nCommand: PELVARCOGO\nNo PELVAR in this drawing."
                     "\nCommand: PELVARPROF\nNo PELVAR in this drawing.\nCommand: PELVARSURF\nNo PELVAR in this drawing."),
            std::string::npos)
      << out;
}

// The COGO points of a LandXML file: name, description and (northing, easting, elevation).
struct CgPoint {
  std::string desc;
  double n, e, z;
};

std::vector<CgPoint> ReadCgPoints(const std::filesystem::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str()));
  std::vector<CgPoint> points;
  for (pugi::xml_node p : document.child("LandXML").child("CgPoints").children("CgPoint")) {
    CgPoint point{p.attribute("desc").value(), 0, 0, 0};
    EXPECT_EQ(std::sscanf(p.text().get(), "%lf %lf %lf", &point.n, &point.e, &point.z), 3);
    points.push_back(point);
  }
  return points;
}

TEST_F(AnalysisProgram, CogoPlacesPointsFromTheGroundOrTheNearestPointDescribedByClass) {
  terrain::Cloud cloud;
  const double classes[] = {2, 6, 9, 17, 20};
  std::vector<terrain::Point> placed;
  for (int k = 0; k < 5; ++k) placed.push_back(cloud.AddAt(100.0 + 100 * k, 300.0, 4.0, static_cast<uint8_t>(classes[k])));
  std::string script = Attach(cloud, "known.kmt") + "PELVARCOGO\n\n1300.5,2400.25\n5000,5000\n1010.75,2990.5\n\n"
                       "PELVARCOGO\nNearest\n1102,2301\n1203,2300\n1300,2296\n1400,2300\n1500,2310\n1700,2300\n\n"
                       "CIVILLIST\nLANDXMLOUT\npoints.xml\n";
  std::string out = From(Run(script), "PELVARCOGO");
  const double g1 = cloud.Ground(1300.5, 2400.25), g2 = cloud.Ground(1010.75, 2990.5);
  std::string expected =
      "Command: PELVARCOGO\nElevation source [Ground/Nearest] <Ground>: \nPick location <Enter to finish>: "
      "1300.5,2400.25\n  EG  " + Format("%.2f", g1) + " ft\nPick location <Enter to finish>: 5000,5000\n"
      "  outside the ground grid\nPick location <Enter to finish>: 1010.75,2990.5\n  EG  " + Format("%.2f", g2) +
      " ft\nPick location <Enter to finish>: \n2 COGO point(s) created.\n"
      "Command: PELVARCOGO\nElevation source [Ground/Nearest] <Ground>: Nearest\n";
  const char* clicks[] = {"1102,2301", "1203,2300", "1300,2296", "1400,2300", "1500,2310"};
  const char* descriptions[] = {"EG", "ROOF", "WATER", "CLOUD", "EG"};
  for (int k = 0; k < 5; ++k)
    expected += std::string("Pick location <Enter to finish>: ") + clicks[k] + "\n  " + descriptions[k] + "  " +
                Format("%.2f", placed[k].z) + " ft\n";
  expected += "Pick location <Enter to finish>: 1700,2300\n  no cloud point nearby\n"
              "Pick location <Enter to finish>: \n5 COGO point(s) created.\nCommand: CIVILLIST";
  EXPECT_EQ(out.substr(0, expected.size()), expected);
  EXPECT_NE(out.find("\nCOGO points: 7\n"), std::string::npos) << out;

  // The exported points stand at the clicks, with the elevations and descriptions printed.
  std::vector<CgPoint> points = ReadCgPoints(home_ / "points.xml");
  ASSERT_EQ(points.size(), 7u);
  const double clickX[] = {1300.5, 1010.75, 1102, 1203, 1300, 1400, 1500};
  const double clickY[] = {2400.25, 2990.5, 2301, 2300, 2296, 2300, 2310};
  const double z[] = {g1, g2, placed[0].z, placed[1].z, placed[2].z, placed[3].z, placed[4].z};
  const char* desc[] = {"EG", "EG", "EG", "ROOF", "WATER", "CLOUD", "EG"};
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(points[k].desc, desc[k]);
    EXPECT_NEAR(points[k].e, clickX[k], 1e-9);
    EXPECT_NEAR(points[k].n, clickY[k], 1e-9);
    EXPECT_NEAR(points[k].z, z[k], 1e-4);
  }
}

TEST_F(AnalysisProgram, CogoWithoutCivilStopsAtTheFirstFailureWithoutACount) {
  terrain::Cloud cloud;
  std::string out = Run(Attach(cloud, "known.kmt") + "PELVARCOGO\n^C\n1300.5,2400.25\n1301,2400\n", {"--no-civil"});
  const std::string expected =
      "Command: PELVARCOGO\nElevation source [Ground/Nearest] <Ground>: *Cancel*\n"
      "Pick location <Enter to finish>: 1300.5,2400.25\n"
      "COGO failed (Civil 3D required): Civil 3D is not available (no active Civil document)\n"
      "Command: 1301,2400\n";
  EXPECT_EQ(From(out, "PELVARCOGO").substr(0, expected.size()), expected);
}

}  // namespace
