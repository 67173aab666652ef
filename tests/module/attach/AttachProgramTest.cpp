// PELVARATTACH end to end: the pelvar program with the module, driven by a script.
#include <gtest/gtest.h>

#include "tests/module/attach/AttachFixture.h"
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

// The LIST lines of the last listing, from its count line to the next prompt.
std::string LastListing(const std::string& out) {
  size_t at = out.rfind(" in model space.\n");
  if (at == std::string::npos) return {};
  std::string rest = out.substr(at);
  return rest.substr(0, rest.find("Command:"));
}

// Attach, save, and open the drawing in a new process: the cloud lists the same there, and
// unloading and loading the module again brings it back from its proxy.
TEST(AttachProgram, ASavedCloudListsTheSameInANewProcessAndAfterReloading) {
  pelvartest::TempFolder home("attachround");
  ScopedEnv downloadsEnv("XDG_DOWNLOAD_DIR", home.path().string());
  SampleCloudRequest request;
  request.pointCount = 3000;
  request.seed = 5;
  const std::string cloud = (home.path() / "sample.kmt").string();
  ASSERT_TRUE(WriteSampleCloud(request, cloud, false));
  const std::string drawing = (home.path() / "saved.pvd").string();

  pelvartest::PelvarRun first =
      pelvartest::RunPelvar(home.path(), "PELVARATTACH\nsample.kmt\nLIST ALL\nSAVEAS\n" + drawing + "\n");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const std::string listed = LastListing(first.out);
  const std::string expectedCloudLines = "Cloud file: " + cloud +
                                         "\nPoints: 3000\nTile: GA West sample\nEPSG: 2240\n"
                                         "Visible classes: 0 2 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 "
                                         "25 26 27 28 29 30 31\n"
                                         "Colour mode: Class\nDensity: 100%\nElevation window: off\n";
  EXPECT_NE(listed.find(expectedCloudLines), std::string::npos) << first.out;

  pelvartest::PelvarRun second = pelvartest::RunPelvar(
      home.path(), "LIST ALL\nARXUNLOAD Pelvar2027.arx\nLIST ALL\nARXLOAD " + std::string(PELVAR_BUILD_DIR) +
                       "/Pelvar2027.arx\nLIST ALL\n",
      {drawing});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_NE(second.out.find("Opened " + drawing + "\n"), std::string::npos) << second.out;
  const size_t unloadAt = second.out.find("Command: ARXUNLOAD");
  const size_t reloadAt = second.out.find("Command: ARXLOAD");
  ASSERT_NE(unloadAt, std::string::npos) << second.out;
  ASSERT_NE(reloadAt, std::string::npos) << second.out;
  EXPECT_EQ(LastListing(second.out.substr(0, unloadAt)), listed) << second.out;
  EXPECT_NE(second.out.substr(unloadAt, reloadAt - unloadAt).find("Proxy of class Pelvar"), std::string::npos)
      << second.out;
  EXPECT_EQ(LastListing(second.out.substr(reloadAt)), listed) << second.out;
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
