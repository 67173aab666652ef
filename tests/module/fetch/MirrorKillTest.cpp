// A mirror run killed at any moment and run again ends with the same tree as a run that
// was never interrupted: no partial file is ever taken for a mirrored one.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include "tests/module/fetch/ArchiveFixture.h"
#include "tests/module/fetch/MirrorExpectation.h"

extern char** environ;

namespace fetchtest {
namespace {

constexpr double kLon = -77.0, kLat = 40.0;
constexpr int kKills = 20;

// Starts pelvar on the script with the home's configuration; its output is discarded.
pid_t StartPelvar(const fs::path& home, const fs::path& script) {
  pelvartest::ScopedEnv config("XDG_CONFIG_HOME", (home / "config").string());
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = std::string(PELVAR_BUILD_DIR) + "/pelvar";
  std::string scriptPath = script.string();
  char* argv[] = {program.data(), const_cast<char*>("--script"), scriptPath.data(), nullptr};
  pid_t pid = -1;
  int status = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return status == 0 ? pid : -1;
}

class MirrorKill : public ArchiveFixture {};

TEST_F(MirrorKill, ARunKilledAtTwentyRandomMomentsAndRunAgainEndsWithTheUninterruptedTree) {
  addSurvey("PA_Test_2020", SceneAt(kLon, kLat, 20000, 7));
  setIndex("PA_Test_2020 2020 1000 -77.05 39.95 -76.95 40.05\n");
  server_->setLatency(std::chrono::milliseconds(10));
  const StatePlaneZone& zone = *FindZoneByEpsg(2272);
  double x = 0, y = 0;
  ZonePointAt(zone, kLon, kLat, x, y);
  Rect rect{x - 1500, y - 1000, x + 1500, y + 1000};
  std::string script = "PELVARMIRROR\n2272\n" + rect.corners();

  fs::path reference = home_.path() / "reference";
  setMirrorRoot(reference);
  auto start = std::chrono::steady_clock::now();
  PelvarRun whole = run(script);
  auto duration = std::chrono::steady_clock::now() - start;
  ASSERT_NE(whole.out.find("\nMirrored: "), std::string::npos) << whole.out;
  std::map<std::string, std::string> expected = TreeOf(reference);
  ASSERT_GT(expected.size(), 10u);

  std::mt19937 rng(20261208);
  std::uniform_int_distribution<long long> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
  fs::path scriptFile = home_.path() / "killed.scr";
  std::ofstream(scriptFile) << script;
  int cutMidway = 0;  // kills that left a part of the mirror behind
  for (int k = 0; k < kKills; ++k) {
    fs::path root = home_.path() / ("killed" + std::to_string(k));
    setMirrorRoot(root);
    pid_t pid = StartPelvar(home_.path(), scriptFile);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(rng)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::map<std::string, std::string> left = TreeOf(root);
    if (!left.empty() && left != expected) ++cutMidway;
    setMirrorRoot(root);  // the registry too may have been cut off mid-write
    PelvarRun rerun = run(script);
    ASSERT_NE(rerun.out.find("\nMirrored: "), std::string::npos) << k << "\n" << rerun.out;
    EXPECT_EQ(TreeOf(root), expected) << "killed run " << k;
    fs::remove_all(root);
  }
  EXPECT_GE(cutMidway, kKills / 4);
}

}  // namespace
}  // namespace fetchtest
