// The host's file reading (regular files only, size caps) and whole-file writing (kept
// mode, links written through, dead leftovers removed); failed writes are in the program's tests.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "hostfiles.h"
#include "tests/support/pelvar_run.h"

namespace fs = std::filesystem;

namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The id of a process that has ended.
pid_t DeadProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(HostFiles, OnlyRegularFilesWithinTheCapAreRead) {
  pelvartest::TempFolder folder("hostread");
  std::ofstream(folder / "small") << "four";
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::uint64_t cap;
    std::string error;  // empty: read
  } cases[] = {
      {(folder / "small").string(), 4, ""},
      {(folder / "small").string(), 3, "larger than 3 bytes"},
      {(folder / "fifo").string(), 100, "not a regular file"},  // would block without a writer
      {"/dev/zero", 100, "not a regular file"},                 // would never end
      {folder.path().string(), 100, "Is a directory"},
      {(folder / "missing").string(), 100, "No such file or directory"},
  };
  for (const Case& c : cases) {
    std::string bytes, error;
    EXPECT_EQ(pelvarhost::ReadRegularFile(c.path, c.cap, bytes, error), c.error.empty()) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(bytes, c.error.empty() ? "four" : "") << c.path;
  }
}

TEST(HostFiles, AWriteKeepsTheModeFollowsLinksAndNeverReplacesWhenAskedNotTo) {
  pelvartest::TempFolder folder("hostwrite");
  const fs::path target = folder / "target.txt", link = folder / "link.txt";
  std::ofstream(target) << "old";
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("target.txt", link);
  std::string error;
  ASSERT_EQ(pelvarhost::WriteWholeFile(link.string(), Bytes("new"), true, error), pelvarhost::WriteOutcome::kDone);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(pelvartest::ReadWholeFile(target), "new");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(pelvarhost::WriteWholeFile(link.string(), Bytes("newer"), false, error),
            pelvarhost::WriteOutcome::kNameTaken);
  EXPECT_EQ(pelvartest::ReadWholeFile(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

// Temporary files of killed writers go when the next write to the folder starts; one that
// a live writer holds (locked) and files of other names stay.
TEST(HostFiles, LeftoversNoProcessHoldsAreRemovedByTheNextWrite) {
  pelvartest::TempFolder folder("hostleft");
  const std::string dead = std::to_string(DeadProcess());
  const std::string own = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool held;
    bool kept;
  } cases[] = {
      {"drawing.pvd.tmp" + dead, false, false},       // a killed SAVE
      {"registry.reg.tmp." + dead, false, false},     // an older registry write
      {"cloud.kmt.tmp" + own + ".3", false, false},   // this process's, not held: no writer left
      {"cloud.kmt.tmp" + own + ".4", true, true},     // held by a writer
      {"notes.tmp", false, true},                     // no process in its name
      {"notes.tmp" + dead + "x", false, true},
  };
  std::vector<int> locks;
  for (const Case& c : cases) {
    std::ofstream(folder / c.name) << "x";
    if (!c.held) continue;
    locks.push_back(::open((folder / c.name).c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
  }
  std::string error;
  ASSERT_EQ(pelvarhost::WriteWholeFile((folder / "next.txt").string(), Bytes("n"), true, error),
            pelvarhost::WriteOutcome::kDone);
  for (const Case& c : cases) EXPECT_EQ(fs::exists(folder / c.name), c.kept) << c.name;
  for (int fd : locks) ::close(fd);
}

}  // namespace
