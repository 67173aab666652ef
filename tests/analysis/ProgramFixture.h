// Scripted runs of the pelvar program over known clouds: the clouds are written into the
// run's folder, attached by the script, and the transcript is checked from a marker on.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/analysis/KnownTerrain.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/pelvar_run.h"

namespace programtest {

class AnalysisProgram : public testing::Test {
 protected:
  AnalysisProgram() : home_("analysis"), downloads_("XDG_DOWNLOAD_DIR", home_.path().string()) {}

  // Writes the cloud as `file` in the run's folder and returns the script lines that attach it.
  std::string Attach(const terrain::Cloud& cloud, const std::string& file) {
    std::vector<uint8_t> bytes = cloud.Bytes();
    std::ofstream(home_ / file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
    return "PELVARATTACH\n" + file + "\n";
  }

  // Runs the script; the run must end normally without host errors or sanitizer reports.
  std::string Run(const std::string& script, const std::vector<std::string>& args = {}) {
    pelvartest::PelvarRun run = pelvartest::RunPelvar(home_.path(), script, args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* bad : {"Host error", "runtime error", "Sanitizer", "LeakSanitizer"}) {
      EXPECT_EQ(run.out.find(bad), std::string::npos) << run.out;
      EXPECT_EQ(run.err.find(bad), std::string::npos) << run.err;
    }
    return run.out;
  }

  // The transcript from the first line that runs `command` on.
  static std::string From(const std::string& out, const std::string& command) {
    size_t at = out.find("Command: " + command + "\n");
    EXPECT_NE(at, std::string::npos) << out;
    return at == std::string::npos ? std::string() : out.substr(at);
  }

  pelvartest::TempFolder home_;
  pelvartest::ScopedEnv downloads_;
};

}  // namespace programtest
