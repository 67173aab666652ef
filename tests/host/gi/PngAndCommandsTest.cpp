// PNG files of a view, the PNGOUT command and object snaps on typed points.
#include <gtest/gtest.h>

#include <filesystem>

#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostgraphics.h"
#include "hostrender.h"
#include "tests/support/AppendEntity.h"
#include "tests/support/pelvar_run.h"

namespace {

namespace fs = std::filesystem;
using pelvarhost::RasterImage;

TEST(Png, AWrittenImageReadsBackPixelForPixel) {
  RasterImage image;
  image.width = 7;
  image.height = 5;
  image.rgb.resize(7 * 5 * 3);
  for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<uint8_t>(i * 37);
  pelvartest::TempFolder folder("png");
  std::string path = (folder.path() / "pixels.png").string();
  std::string error;
  ASSERT_TRUE(pelvarhost::WritePng(path, image, &error)) << error;
  RasterImage back;
  ASSERT_TRUE(pelvarhost::ReadPng(path, back, &error)) << error;
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 5);
  EXPECT_EQ(back.rgb, image.rgb);
}

TEST(Png, AFileThatCannotBeWrittenIsReportedWithAReason) {
  RasterImage image;
  image.width = image.height = 1;
  image.rgb = {1, 2, 3};
  std::string error;
  EXPECT_FALSE(pelvarhost::WritePng("/nonexistent-folder/x.png", image, &error));
  EXPECT_FALSE(error.empty());
  RasterImage empty;
  EXPECT_FALSE(pelvarhost::WritePng("/tmp/never.png", empty, &error));
  EXPECT_EQ(error, "the image is empty");
}

class SnapTest : public testing::Test {
 protected:
  void SetUp() override {
    pelvarhost::InstallHostGraphics();
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    for (AcGePoint3d p : {AcGePoint3d(10, 10, 1), AcGePoint3d(30, 10, 2)})
      pelvartest::AppendToModelSpace(db_, new AcDbPoint(p));
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    pelvarhost::RemoveHostGraphics();
  }
  AcDbDatabase db_;
};

TEST_F(SnapTest, NodeAndNearestTakeTheClosestEntitySnapPoint) {
  const double typed[3] = {26, 12, 0};
  double snapped[3] = {0, 0, 0};
  ASSERT_TRUE(pelvarhost::FindObjectSnap(L"nod", typed, snapped));
  EXPECT_EQ(snapped[0], 30);
  EXPECT_EQ(snapped[1], 10);
  EXPECT_EQ(snapped[2], 2);
  const double nearFirst[3] = {12, 9, 0};
  ASSERT_TRUE(pelvarhost::FindObjectSnap(L"NEA", nearFirst, snapped));
  EXPECT_EQ(snapped[0], 10);
}

TEST_F(SnapTest, ModesAnEntityDoesNotOfferFindNothing) {
  const double typed[3] = {26, 12, 0};
  double snapped[3] = {0, 0, 0};
  EXPECT_FALSE(pelvarhost::FindObjectSnap(L"end", typed, snapped));
  EXPECT_FALSE(pelvarhost::FindObjectSnap(L"xyz", typed, snapped));
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_FALSE(pelvarhost::FindObjectSnap(L"nod", typed, snapped));
}

TEST(PngOut, WritesTheCurrentViewAtTheAskedSize) {
  pelvartest::TempFolder home("pngout");
  pelvartest::PelvarRun run = pelvartest::RunPelvar(
      home.path(),
      "LINE\n-40,0.5\n40,0.5\n\nZOOM\n-50,-50\n50,50\nPNGOUT view.png 200 100\nPNGOUT\n\n\n\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("View written to view.png (200 x 100)."), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("PNG file <view.png>: \nImage width <1600>: \nImage height <1000>: \n"
                         "View written to view.png (1600 x 1000)."),
            std::string::npos)
      << run.out;
  RasterImage image;
  std::string error;
  ASSERT_TRUE(pelvarhost::ReadPng((home.path() / "view.png").string(), image, &error)) << error;
  EXPECT_EQ(image.width, 1600);
  EXPECT_EQ(image.height, 1000);
  // ZOOM fitted the 100 x 100 window: view height 100, so 10 pixels per unit; the line at
  // y 0.5 lies on row 495, from column 400 to 1200; the colour is white (index 7).
  EXPECT_EQ(image.at(800, 495), (pelvarhost::RgbColour{255, 255, 255}));
  EXPECT_EQ(image.at(401, 495), (pelvarhost::RgbColour{255, 255, 255}));
  EXPECT_EQ(image.at(390, 495), pelvarhost::kBackgroundColour);
  EXPECT_EQ(image.at(800, 480), pelvarhost::kBackgroundColour);
}

TEST(PngOut, ATypedSnapPutsTheLineOnThePoint) {
  pelvartest::TempFolder home("snap");
  pelvartest::PelvarRun run =
      pelvartest::RunPelvar(home.path(), "POINT\n10,10\nLINE\nnod 11,12\n20,10\n\nLIST ALL\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find("No snap point found"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("from point, X=10"), std::string::npos) << run.out;
}

}  // namespace
