// PELVARSURF in scripted pelvar runs: vertex counts, names, two clouds in one surface, and
// the TIN exported as LandXML and read back.
#include <gtest/gtest.h>

#include <set>

#include "tests/module/analysis/ProgramFixture.h"

namespace {

using programtest::AnalysisProgram;

struct Tin {
  std::string name, desc;
  std::vector<std::array<double, 3>> points;  // x, y, z
  size_t faces = 0;
};

std::vector<Tin> ReadSurfaces(const std::filesystem::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str()));
  std::vector<Tin> surfaces;
  for (pugi::xml_node s : document.child("LandXML").child("Surfaces").children("Surface")) {
    Tin tin{s.attribute("name").value(), s.attribute("desc").value(), {}, 0};
    pugi::xml_node definition = s.child("Definition");
    for (pugi::xml_node p : definition.child("Pnts").children("P")) {
      double n = 0, e = 0, z = 0;
      EXPECT_EQ(std::sscanf(p.text().get(), "%lf %lf %lf", &n, &e, &z), 3);
      tin.points.push_back({e, n, z});
    }
    for ([[maybe_unused]] pugi::xml_node f : definition.child("Faces").children("F")) ++tin.faces;
    surfaces.push_back(tin);
  }
  return surfaces;
}

// A cloud with ground points of classes 2 and 20 on a 10 ft lattice and roof points between.
terrain::Cloud GroundCloud(double originX, const std::string& name, uint32_t epsg) {
  terrain::Cloud cloud;
  cloud.originX = originX;
  cloud.name = name;
  cloud.epsg = epsg;
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 15; ++j) cloud.AddAt(100.0 + 10 * i, 100.0 + 10 * j, 0.0, (i + j) % 3 == 0 ? 20 : 2);
  for (int i = 0; i < 10; ++i) cloud.AddAt(105.0 + 10 * i, 105.0, 8.0, 6);
  return cloud;
}

TEST_F(AnalysisProgram, SurfaceFromPointsAndFromTheGridWithRerunNamesAndTwoClouds) {
  const terrain::Cloud first = GroundCloud(1000.0, "FIRST TILE", 2239), second = GroundCloud(3000.0, "SECOND", 2240);
  std::string out = Run(Attach(first, "first.kmt") + Attach(second, "second.kmt") +
                        "PELVARSURF\n\nPELVARSURF\nPoints\nPELVARSURF\nGrid\nCIVILLIST\nLANDXMLOUT\nsurfaces.xml\n");
  EXPECT_NE(From(out, "PELVARSURF")
                .find("Command: PELVARSURF\nBuild surface from [Points/Grid] <Points>: \n"
                      "Surface \"EG Mardel FIRST TILE R500\": 600 vertices.\n"
                      "Command: PELVARSURF\nBuild surface from [Points/Grid] <Points>: Points\n"
                      "Surface \"EG Mardel FIRST TILE R500 (2)\": 600 vertices.\n"
                      "Command: PELVARSURF\nBuild surface from [Points/Grid] <Points>: Grid\n"
                      "Surface \"EG Mardel FIRST TILE R500 (grid)\": 14792 vertices.\n"),
            std::string::npos)
      << out;
  std::vector<Tin> tins = ReadSurfaces(home_ / "surfaces.xml");
  ASSERT_EQ(tins.size(), 3u);
  EXPECT_EQ(tins[0].desc, "KMQ1 FIRST TILE, 600 class 2/20 points, EPSG:2240 ftUS");
  EXPECT_EQ(tins[2].desc, "KMQ1 FIRST TILE, 14792 grid nodes, EPSG:2240 ftUS");

  // The points surface holds exactly the ground points of both clouds, at their elevations.
  std::set<std::array<double, 3>> expected;
  for (const terrain::Cloud* cloud : {&first, &second})
    for (const terrain::Point& p : cloud->points)
      if (p.cls == 2 || p.cls == 20) expected.insert({p.x, p.y, p.z});
  ASSERT_EQ(tins[0].points.size(), expected.size());
  for (const auto& p : tins[0].points) EXPECT_EQ(expected.count(p), 1u) << p[0] << ", " << p[1] << ", " << p[2];
  EXPECT_GT(tins[0].faces, 1000u);

  // The grid surface holds the nodes of both grids on their planes.
  ASSERT_EQ(tins[2].points.size(), 2u * terrain::kNodes * terrain::kNodes);
  for (const auto& p : tins[2].points) {
    const terrain::Cloud& cloud = p[0] < 2500 ? first : second;
    ASSERT_NEAR(p[2], cloud.Ground(p[0], p[1]), 1e-5) << p[0] << ", " << p[1];
  }
}

TEST_F(AnalysisProgram, SurfaceWithoutGroundPointsOrWithoutCivilSaysWhy) {
  terrain::Cloud roofs;
  roofs.AddAt(100.0, 100.0, 5.0, 6);
  std::string out = Run(Attach(roofs, "roofs.kmt") + "PELVARSURF\n^C\nPELVARSURF\nGrid\n", {"--no-civil"});
  EXPECT_NE(out.find("Build surface from [Points/Grid] <Points>: *Cancel*\n"
                     "No source points (ground classes / grid empty).\nCommand: PELVARSURF\n"
                     "Build surface from [Points/Grid] <Points>: Grid\n"
                     "Surface creation failed (Civil 3D required): Civil 3D is not available (no active Civil document)\n"),
            std::string::npos)
      << out;
}

}  // namespace
