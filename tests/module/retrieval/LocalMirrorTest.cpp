// The local mirror: paths below the root, files that count as present, whole-or-nothing
// writes, and the web as the fallback of the byte source.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include "retrieval/LocalMirror.h"
#include "tests/module/retrieval/NetworkFixture.h"

namespace {

using namespace pelvartest;
namespace fs = std::filesystem;

std::wstring Wide(const fs::path& path) { return path.wstring(); }

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FilesBelow(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).string());
  return files;
}

TEST(MirrorPathTest, RootWithOrWithoutSeparatorGivesOnePath) {
  EXPECT_EQ(MirrorPathForUrl(L"/m", IndexUrl()), L"/m/datasets.txt");
  EXPECT_EQ(MirrorPathForUrl(L"/m/", IndexUrl()), L"/m/datasets.txt");
  EXPECT_EQ(MirrorPathForUrl(L"/m", "https://elsewhere.example/x/mardel-anywhere/datasets.txt"), L"/m/datasets.txt");
  EXPECT_EQ(MirrorPathForUrl(L"/m", ArchiveUrl("S_2019/ept-hierarchy/0-0-0-0.json")),
            L"/m/S_2019/ept-hierarchy/0-0-0-0.json");
  EXPECT_EQ(MirrorPath(L"/m", "S_2019", "ept-data/1-0-1-0.laz"), L"/m/S_2019/ept-data/1-0-1-0.laz");
  EXPECT_EQ(MirrorPath(L"/m/", "S_2019", "ept.json"), L"/m/S_2019/ept.json");
}

TEST(MirrorPathTest, UrlsOutsideTheArchiveOrLeavingTheRootAreNeverLookedUp) {
  EXPECT_EQ(MirrorPathForUrl(L"/m", "https://example.org/usgs-lidar-public/S/ept.json"), L"");
  EXPECT_EQ(MirrorPathForUrl(L"/m", ArchiveUrl("../etc/passwd")), L"");
  EXPECT_EQ(MirrorPathForUrl(L"/m", ArchiveUrl("S//ept.json")), L"");
  EXPECT_EQ(MirrorPathForUrl(L"", ArchiveUrl("S/ept.json")), L"");
}

class LocalMirrorTest : public NetworkFixture {
 protected:
  TempFolder mirror_{"mirror"};
};

TEST_F(LocalMirrorTest, MirroredFileIsReadFromDiskAndAnEmptyOneFromTheWeb) {
  WriteFile(mirror_ / "S_2019" / "ept.json", "from disk");
  ByteBuffer bytes;
  ASSERT_TRUE(ReadFromMirrorRoot(Wide(mirror_.path()), ArchiveUrl("S_2019/ept.json"), bytes));
  EXPECT_EQ(Text(bytes), "from disk");

  WriteFile(mirror_ / "S_2019" / "ept-data" / "0-0-0-0.laz", "");
  EXPECT_FALSE(ReadFromMirrorRoot(Wide(mirror_.path()), ArchiveUrl("S_2019/ept-data/0-0-0-0.laz"), bytes));
  EXPECT_FALSE(MirrorFileExists(Wide(mirror_.path()), "S_2019", "ept-data/0-0-0-0.laz"));
  EXPECT_TRUE(MirrorFileExists(Wide(mirror_.path()), "S_2019", "ept.json"));
  EXPECT_FALSE(MirrorFileExists(Wide(mirror_.path()), "S_2019", "ept-data/9-9-9-9.laz"));

  // With no mirror root set in this process's registry, the byte source goes to the web.
  server().setBody(ArchivePath("S_2019/ept-data/0-0-0-0.laz"), "from the web");
  ASSERT_TRUE(FetchBytes(ArchiveUrl("S_2019/ept-data/0-0-0-0.laz"), bytes));
  EXPECT_EQ(Text(bytes), "from the web");
}

TEST_F(LocalMirrorTest, WriteIntoAnEmptyMirrorCreatesTheSurveyFolders) {
  ByteBuffer tile{1, 2, 3, 4};
  ASSERT_TRUE(MirrorWriteFile(Wide(mirror_.path()), "S_2019", "ept-data/0-0-0-0.laz", tile));
  EXPECT_EQ(FilesBelow(mirror_.path()), std::vector<std::string>{"S_2019/ept-data/0-0-0-0.laz"});
  ByteBuffer back;
  ASSERT_TRUE(ReadFromMirrorRoot(Wide(mirror_.path()), ArchiveUrl("S_2019/ept-data/0-0-0-0.laz"), back));
  EXPECT_EQ(back, tile);
  // A later write replaces the file whole.
  ASSERT_TRUE(MirrorWriteFile(Wide(mirror_.path()), "S_2019", "ept-data/0-0-0-0.laz", ByteBuffer{9}));
  ASSERT_TRUE(ReadFromMirrorRoot(Wide(mirror_.path()), ArchiveUrl("S_2019/ept-data/0-0-0-0.laz"), back));
  EXPECT_EQ(back, ByteBuffer{9});
}

TEST_F(LocalMirrorTest, FailedWriteLeavesNothingAndKeepsTheOldFile) {
  ASSERT_TRUE(MirrorWriteFile(Wide(mirror_.path()), "S_2019", "ept.json", ByteBuffer{'o', 'l', 'd'}));
  // A file size limit makes the write itself fail, as a full disk would.
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  sighandler_t previous = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1000;
  setrlimit(RLIMIT_FSIZE, &small);
  bool written = MirrorWriteFile(Wide(mirror_.path()), "S_2019", "ept.json", ByteBuffer(5000, 'x'));
  bool fresh = MirrorWriteFile(Wide(mirror_.path()), "S_2019", "ept-data/0-0-0-0.laz", ByteBuffer(5000, 'x'));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_FALSE(fresh);
  EXPECT_EQ(FilesBelow(mirror_.path()), std::vector<std::string>{"S_2019/ept.json"});
  ByteBuffer back;
  ASSERT_TRUE(ReadFromMirrorRoot(Wide(mirror_.path()), ArchiveUrl("S_2019/ept.json"), back));
  EXPECT_EQ(Text(back), "old");
}

TEST_F(LocalMirrorTest, WriteWhereNoFolderCanBeMadeFailsAndPathsThatLeaveTheRootAreRefused) {
  WriteFile(mirror_ / "blocker", "a file where the survey folder would go");
  EXPECT_FALSE(MirrorWriteFile(Wide(mirror_ / "blocker"), "S_2019", "ept.json", ByteBuffer{1}));
  EXPECT_FALSE(MirrorWriteFile(Wide(mirror_.path()), "..", "ept.json", ByteBuffer{1}));
  EXPECT_FALSE(MirrorWriteFile(Wide(mirror_.path()), "S_2019", "../../x", ByteBuffer{1}));
  EXPECT_EQ(FilesBelow(mirror_.path()), std::vector<std::string>{"blocker"});
}

TEST_F(LocalMirrorTest, FaultedDownloadsStoreNothingInTheMirror) {
  // The mirror stores what the byte source returns; a failed fetch hands over nothing.
  const std::string name = "S_2019";
  std::vector<std::pair<std::string, Fault>> faults = {
      {"ept-data/1-0-0-0.laz", {FaultKind::kCutShort}},
      {"ept-data/1-0-0-1.laz", {FaultKind::kEmptyOk}},
      {"ept-data/1-0-1-0.laz", {FaultKind::kStallMidBody}},
      {"ept-data/1-0-1-1.laz", {FaultKind::kServerError}},
  };
  for (const auto& [relative, fault] : faults) {
    server().setBody(ArchivePath(name + "/" + relative), std::string(4000, 'p'));
    server().setFault(ArchivePath(name + "/" + relative), fault);
    ByteBuffer bytes;
    if (HttpsGet(ArchiveUrl(name + "/" + relative), bytes, QuickRetries()))
      MirrorWriteFile(Wide(mirror_.path()), name, relative, bytes);
  }
  EXPECT_FALSE(fs::exists(mirror_.path() / name));
}

}  // namespace
