// pelvar --gui end to end on the offscreen platform: the script runs in the window, the
// module docks its panel at load, SCREENSHOT writes the window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/ScopedEnv.h"
#include "tests/support/pelvar_run.h"

namespace {

using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::ScopedEnv;
using pelvartest::TempFolder;

// Width and height from a PNG file's header.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be32 = [&](size_t at) {
    return uint32_t{static_cast<uint8_t>(bytes[at])} << 24 | uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 16 |
           uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 8 | static_cast<uint8_t>(bytes[at + 3]);
  };
  return {be32(16), be32(20)};
}

void ExpectCleanRun(const PelvarRun& run) {
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find("Host error"), std::string::npos) << run.out;
  EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
}

TEST(PelvarWindowProgram, RunsTheScriptInTheWindowWithThePanelDocked) {
  TempFolder home("window_program");
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  std::string shot = (home.path() / "shot.png").string();
  PelvarRun run = RunPelvar(home.path(),
                            "LINE\n0,0\n100,50\n\nZOOM\nE\nSCREENSHOT\n" + shot + "\nPELVARPANEL\nPELVARPANEL\nQUIT\nYes\n",
                            {"--gui"});
  ExpectCleanRun(run);
  EXPECT_NE(run.out.find("PELVARSURF, PELVARCOGO.\n\nPelvarPanel: palette shown.\nCommand: LINE\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Screenshot written to " + shot + " (1280 x 860).\n"), std::string::npos) << run.out;
  EXPECT_EQ(PngSize(pelvartest::ReadWholeFile(shot)), std::make_pair(1280u, 860u));
  EXPECT_NE(run.out.find("Command: PELVARPANEL\nCommand: PELVARPANEL\nCommand: QUIT\n"), std::string::npos) << run.out;
}

TEST(PelvarWindowProgram, WithoutADisplayTheWindowIsRefused) {
  TempFolder home("window_program");
  ScopedEnv noPlatform("QT_QPA_PLATFORM", "");
  ScopedEnv noDisplay("DISPLAY", "");
  ScopedEnv noWayland("WAYLAND_DISPLAY", "");
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("QT_QPA_PLATFORM");
  PelvarRun run = RunPelvar(home.path(), "QUIT\n", {"--gui"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "pelvar: --gui needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
