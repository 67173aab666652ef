// The pelvar program on a drawing with host entities, a ground cloud with a surface and
// COGO points over it, and two clouds to edit; clouds in a private Downloads folder.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/pelvar_run.h"
#include "tools/samplegen/SampleCloud.h"

namespace undotest {

namespace fs = std::filesystem;

class UndoProgram : public testing::Test {
 protected:
  // Every run must end normally (RunPelvar checks for host errors and sanitizer reports).
  pelvartest::PelvarRun Run(const std::string& script, const std::vector<std::string>& args = {}) {
    pelvartest::PelvarRun run = pelvartest::RunPelvar(home_.path(), script, args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run;
  }

  void WriteCloud(const std::string& name, double centreX, double centreY, uint64_t seed) {
    SampleCloudRequest request{.pointCount = 3000, .seed = seed, .centreX = centreX, .centreY = centreY, .side = 400};
    ASSERT_TRUE(WriteSampleCloud(request, (home_ / name).string(), false));
  }

  // The starting drawing, saved by a run of its own so that its history is not part of
  // the run under test.
  fs::path MakeStartDrawing() {
    WriteCloud("ground.kmt", 1000, 1000, 1);
    WriteCloud("edited.kmt", 1000, 2000, 2);
    WriteCloud("edited2.kmt", 1500, 2000, 3);
    Run("PELVARATTACH\nground.kmt\nPELVARATTACH\nedited.kmt\nPELVARATTACH\nedited2.kmt\nPELVARSURF\nPoints\n"
        "PELVARCOGO\n\n1000,1000\n1020,1010\n\nLINE\n500,500\n610,650\n\nPOINT\n450,470\nSAVEAS start.pvd\n");
    return home_ / "start.pvd";
  }

  bool SameBytes(const fs::path& a, const fs::path& b) const {
    std::string bytes = pelvartest::ReadWholeFile(a);
    return !bytes.empty() && bytes == pelvartest::ReadWholeFile(b);
  }

  pelvartest::TempFolder home_{"undoprog"};
  pelvartest::ScopedEnv downloadsEnv_{"XDG_DOWNLOAD_DIR", home_.path().string()};
};

}  // namespace undotest
