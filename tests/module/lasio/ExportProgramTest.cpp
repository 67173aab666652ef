// PELVAREXPORT end to end: a file is imported, exported as LAS and as LAZ, and the files
// are read back with LASzip and PROJ.
#include <gtest/gtest.h>

#include "tests/module/lasio/LasFixture.h"

namespace lasiotest {
namespace {

using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::TempFolder;

TEST(ExportProgram, ExportedFilesHoldTheCloudsPointsClassesAndZone) {
  TempFolder home("export");
  LasShape shape;
  shape.versionMinor = 4;
  shape.pointFormat = 6;
  shape.vlrs = {GeoKeyVlr({{3072, 2269}})};
  std::vector<GeoPoint> geo = GeoPoints(600, true);
  std::vector<SamplePoint> original = FilePoints(geo, "EPSG:2269", 0.3048);
  WriteLas(home / "source.las", shape, original);
  // The west part of the cloud is reclassified in the drawing: the export carries that edit.
  double westOf = original[10].x;
  std::string reclass = "PELVARRECLASS\nNumber\n17\n" + std::to_string(westOf - 5000) + ",0\n" +
                        std::to_string(westOf) + ",2000000\n\n";
  std::string exportTo = "PELVAREXPORT\n\n\n" + (home / "out").string();
  PelvarRun run = RunPelvar(home.path(), "PELVARIMPORT\n" + (home / "source.las").string() + "\n\n" + reclass + exportTo +
                                             ".las\n" + exportTo + ".laz\n" + exportTo + ".las\n");
  EXPECT_NE(run.out.find("Exported 600 pts -> " + (home / "out_2.las").string()), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(" point(s) -> class 17"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find(" 0 point(s) -> class 17"), std::string::npos) << run.out;
  std::wstring error;
  KmqDataPtr cloud = LoadCloudFile((home / "source.kmt").wstring(), &error);
  ASSERT_TRUE(cloud);
  for (const char* name : {"out.las", "out.laz", "out_2.las"}) {
    SCOPED_TRACE(name);
    ReadBack back = ReadLas(home / name);
    EXPECT_EQ(back.versionMinor, 4);
    EXPECT_EQ(back.pointFormat, 6);
    EXPECT_EQ(back.globalEncoding & 16, 16);
    PjOwner crs(proj_create(nullptr, back.wkt.c_str()));
    ASSERT_NE(crs.get(), nullptr);
    EXPECT_STREQ(proj_get_id_code(crs.get(), 0), "2269");
    ASSERT_EQ(back.points.size(), cloud->pointCount);
    // A code step of the cloud file, and the source file's own rounding.
    double step[3] = {cloud->sizeX / 65535.0 + shape.scale, cloud->sizeY / 65535.0 + shape.scale,
                      cloud->sizeZ / 65535.0 + shape.scale};
    int wrong = 0;
    for (std::uint32_t i = 0; i < cloud->pointCount; ++i) {
      const KmqPoint& p = cloud->points[i];
      const SamplePoint& out = back.points[i];
      const SamplePoint& in = original[out.intensity - 1u];
      std::uint8_t effective = DecodeX(*cloud, p) < westOf ? 17 : p.cls;
      bool sameAsCloud = std::fabs(out.x - DecodeX(*cloud, p)) <= back.scale[0] &&
                         std::fabs(out.y - DecodeY(*cloud, p)) <= back.scale[1] &&
                         std::fabs(out.z - DecodeZ(*cloud, p) ) <= back.scale[2] && out.cls == effective &&
                         out.intensity == cloud->intensity16[i];
      bool nearOriginal = std::fabs(out.x - in.x) <= step[0] && std::fabs(out.y - in.y) <= step[1] &&
                          std::fabs(out.z - in.z) <= step[2];
      if (!(sameAsCloud && nearOriginal) && ++wrong <= 3) ADD_FAILURE() << "point " << i;
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace lasiotest
