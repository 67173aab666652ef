// The program with files that are not what they seem and limits that bite: each ends in a
// message (status 1 for what cannot be opened), never in a hang, a crash or a signal.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/pelvar_run.h"

namespace fs = std::filesystem;
using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::TempFolder;

namespace {

// Commands that draw `count` points.
std::string Points(int count) {
  std::string script;
  for (int i = 0; i < count; ++i) script += "POINT " + std::to_string(i) + ",1\n";
  return script;
}

TEST(HostileFiles, WhatCannotBeReadOrWrittenIsReportedAndTheRunGoesOnOrEndsWithStatusOne) {
  struct Case {
    const char* what;
    std::string before;  // a run without the limit first
    std::string script;
    std::vector<std::string> args;
    std::string shell;
    int status;
    std::string said;  // in standard output, or standard error for status 1
  } cases[] = {
      {"a device as the drawing", "", "", {"/dev/zero"}, "", 1, "cannot open drawing /dev/zero"},
      {"a FIFO as the drawing", "", "", {"fifo.pvd"}, "mkfifo fifo.pvd", 1, "cannot open drawing fifo.pvd"},
      {"a FIFO as the script", "", "", {}, "rm script.scr; mkfifo script.scr", 1, "cannot read script"},
      {"a save beyond the file-size limit", Points(100) + "SAVEAS\nbig.pvd\n", "POINT 5,5\nSAVE\nPOINT 6,6\n",
       {"big.pvd"}, "ulimit -f 2", 0, "big.pvd\": File too large\nCommand: POINT"},
      {"an export beyond the file-size limit", Points(100) + "DXFOUT site.dxf\nSAVEAS\nbig.pvd\n",
       "POINT 5,5\nDXFOUT site.dxf\n", {"big.pvd"}, "ulimit -f 2", 0,
       "DXFOUT failed: cannot write \"site.dxf\": File too large"},
  };
  for (const Case& c : cases) {
    TempFolder home("hostile");
    if (!c.before.empty()) {
      ASSERT_EQ(RunPelvar(home.path(), c.before).exitCode, 0) << c.what;
    }
    const std::string exportBefore = pelvartest::ReadWholeFile(home / "site.dxf");
    const PelvarRun run = RunPelvar(home.path(), c.script, c.args, c.shell);
    EXPECT_EQ(pelvartest::ReadWholeFile(home / "site.dxf"), exportBefore) << c.what;  // whole or not at all
    EXPECT_EQ(run.exitCode, c.status) << c.what << "\n" << run.out << run.err;
    EXPECT_NE((c.status == 0 ? run.out : run.err).find(c.said), std::string::npos) << c.what << "\n" << run.out << run.err;
    for (const auto& entry : fs::directory_iterator(home.path()))
      EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << c.what;
  }
}

}  // namespace
