// PELVARATTACH end to end: the pelvar program with the module, driven by a script.
#include <gtest/gtest.h>

#include "tests/attach/AttachFixture.h"
#include "tests/support/pelvar_run.h"

namespace attachtest {
namespace {

TEST(AttachProgram, TheTranscriptShowsThePromptSummaryReminderAndAPicture) {
  pelvartest::TempFolder home("attach");
  fs::path downloads = home.path() / "Downloads";
  fs::create_directories(downloads);
  ScopedEnv downloadsEnv("XDG_DOWNLOAD_DIR", downloads.string());
  SampleCloudRequest request;
  request.pointCount = 5000;
  request.seed = 3;
  ASSERT_TRUE(WriteSampleCloud(request, (downloads / "sample.kmt").string(), false));

  pelvartest::PelvarRun run =
      pelvartest::RunPelvar(home.path(), "PELVARATTACH\nsample.kmt\nPNGOUT view.png 320 200\nLIST ALL\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string expected = "Command: PELVARATTACH\nSelect Mardel cloud <" + downloads.string() +
                               "/>: sample.kmt\n"
                               "GA West sample: 5000 pts, square R=1000 ft @ (2230000.00, 1370000.00) EPSG:2240.\n"
                               "Attached. Set the drawing coordinate system to EPSG:2240 before trusting positions.\n"
                               "Command: PNGOUT\nPNG file <view.png>: view.png\nImage width <1600>: 320\n"
                               "Image height <1000>: 200\nView written to view.png (320 x 200).\n";
  EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("PELVAR  Layer: \"0\""), std::string::npos) << run.out;
  EXPECT_TRUE(fs::exists(home.path() / "view.png"));
}

TEST(AttachProgram, AWebTileIsRefusedWithTheReadersMessage) {
  pelvartest::TempFolder home("attachweb");
  ScopedEnv downloadsEnv("XDG_DOWNLOAD_DIR", home.path().string());
  std::ofstream(home.path() / "web.kmt", std::ios::binary) << std::string("KMT1") + std::string(200, '\0');
  pelvartest::PelvarRun run = pelvartest::RunPelvar(home.path(), "PELVARATTACH\nweb.kmt\nLIST ALL\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("web.kmt\nCloud load failed: this .kmt is a web tile without the plugin payload - "
                         "re-export the square from the viewer\nCommand: LIST"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("0 entities in model space."), std::string::npos) << run.out;
}

}  // namespace
}  // namespace attachtest
