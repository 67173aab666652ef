// Every refusal of the cloud reader, with its exact message, and the order of the checks.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <limits>

#include "AllocationTracker.h"
#include "CraftedCloud.h"
#include "cloudfile/CloudReader.h"

namespace {

using crafted::Cloud;

class ReaderFailure : public testing::Test {
 protected:
  void SetUp() override { ClearCloudCache(); }
  void TearDown() override { ClearCloudCache(); }

  // Loads the bytes from a fresh file; expects a refusal and returns its message.
  static std::wstring Refusal(const std::vector<uint8_t>& bytes) {
    std::wstring path = crafted::WriteTestFile("cloud.kmt", bytes);
    std::wstring error = L"previous text";
    KmqDataPtr image = LoadCloudFile(path, &error);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(CloudCacheSize(), 0u) << "a failed load must not be cached";
    return error;
  }

  static Cloud ValidCloud(size_t points = 10) {
    Cloud c;
    c.points = crafted::NumberedPoints(points);
    return c;
  }
};

TEST_F(ReaderFailure, MissingFilesAndFoldersCannotBeOpened) {
  std::wstring error;
  EXPECT_EQ(LoadCloudFile(L"/nonexistent/folder/cloud.kmt", &error), nullptr);
  EXPECT_EQ(error, L"cannot open file");
  error.clear();
  EXPECT_EQ(LoadCloudFile(L"/tmp", &error), nullptr);
  EXPECT_EQ(error, L"cannot open file") << "a folder is not a cloud file";
}

TEST_F(ReaderFailure, ShortFilesAreTruncatedHeaders) {
  std::vector<uint8_t> bytes = ValidCloud().Bytes();
  EXPECT_EQ(Refusal({}), L"truncated header");
  EXPECT_EQ(Refusal(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 127)), L"truncated header");
}

TEST_F(ReaderFailure, MagicIsChecked) {
  Cloud web = ValidCloud();
  web.magic = "KMT1";
  EXPECT_EQ(Refusal(web.Bytes()),
            L"this .kmt is a web tile without the plugin payload - re-export the square from the viewer");
  for (const char* magic : {"KMQ3", "kmq2", "LASF", "\0\0\0\0"}) {
    Cloud other = ValidCloud();
    other.magic.assign(magic, 4);
    EXPECT_EQ(Refusal(other.Bytes()), L"bad magic (not KMQ1/KMQ2)") << magic;
  }
}

TEST_F(ReaderFailure, VersionMustMatchMagic) {
  Cloud two = ValidCloud();
  two.version = 1;
  EXPECT_EQ(Refusal(two.Bytes()), L"header version/magic mismatch");
  Cloud one = ValidCloud();
  one.magic = "KMQ1";
  one.version = 2;
  EXPECT_EQ(Refusal(one.Bytes()), L"header version/magic mismatch");
}

TEST_F(ReaderFailure, HeaderLimits) {
  const std::wstring implausible = L"implausible header values";
  auto refusalWith = [&](auto change) {
    Cloud c = ValidCloud();
    change(c);
    return Refusal(c.Bytes());
  };
  EXPECT_EQ(refusalWith([](Cloud& c) { c.pointCount = 0; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.pointCount = 50'000'001; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.chunksX = 0; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.chunksX = 257; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.chunksY = 0; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.chunksY = 257; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.groundNx = 4097; }), implausible);
  EXPECT_EQ(refusalWith([](Cloud& c) { c.groundNy = 4097; }), implausible);
  // The largest accepted values pass this check and fail later, on the missing data.
  EXPECT_EQ(refusalWith([](Cloud& c) { c.pointCount = 50'000'000; }), L"truncated point data");
  EXPECT_EQ(refusalWith([](Cloud& c) { c.chunksX = c.chunksY = 256; c.chunks = {{{0, 10}}}; }),
            L"truncated chunk table");
  EXPECT_EQ(refusalWith([](Cloud& c) { c.groundNx = c.groundNy = 4096; }), L"truncated ground grid");
}

// A header value that is not a finite number would poison every position, extent and
// zoom computed from it.
TEST_F(ReaderFailure, NonFiniteHeaderValuesAreImplausible) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<const char*, std::function<void(Cloud&, double)>>> fields = {
      {"originX", [](Cloud& c, double v) { c.originX = v; }},
      {"originY", [](Cloud& c, double v) { c.originY = v; }},
      {"originZ", [](Cloud& c, double v) { c.originZ = v; }},
      {"sizeX", [](Cloud& c, double v) { c.sizeX = static_cast<float>(v); }},
      {"sizeY", [](Cloud& c, double v) { c.sizeY = static_cast<float>(v); }},
      {"sizeZ", [](Cloud& c, double v) { c.sizeZ = static_cast<float>(v); }},
      {"groundCell", [](Cloud& c, double v) { c.groundCell = static_cast<float>(v); }},
      {"groundOriginX", [](Cloud& c, double v) { c.groundOriginX = v; }},
      {"groundOriginY", [](Cloud& c, double v) { c.groundOriginY = v; }},
      {"groundZBase", [](Cloud& c, double v) { c.groundZBase = static_cast<float>(v); }},
      {"groundZSpan", [](Cloud& c, double v) { c.groundZSpan = static_cast<float>(v); }},
      {"centerX", [](Cloud& c, double v) { c.centerX = v; }},
      {"centerY", [](Cloud& c, double v) { c.centerY = v; }},
      {"halfSize", [](Cloud& c, double v) { c.halfSize = static_cast<float>(v); }},
  };
  for (const auto& [name, set] : fields) {
    for (double value : {nan, inf, -inf}) {
      Cloud c = ValidCloud();
      set(c, value);
      EXPECT_EQ(Refusal(c.Bytes()), L"implausible header values") << name << " = " << value;
    }
  }
}

// A pipe names no cloud: the reader refuses it at once instead of waiting for a writer.
TEST_F(ReaderFailure, OnlyRegularFilesAreOpened) {
  const std::string fifo = crafted::TestFolder() + "/pipe.kmt";
  std::filesystem::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::wstring error;
  EXPECT_EQ(LoadCloudFile(pelvarhost::Utf8ToWide(fifo), &error), nullptr);
  EXPECT_EQ(error, L"cannot open file");
  error.clear();
  EXPECT_EQ(LoadCloudFile(L"/dev/zero", &error), nullptr);
  EXPECT_EQ(error, L"cannot open file");
  std::filesystem::remove(fifo);
}

// A cloud whose arrays cannot be allocated is a failed load with its own message; nothing
// is thrown and nothing is cached.
TEST_F(ReaderFailure, WantOfMemoryIsALoadFailure) {
  Cloud c = ValidCloud(20000);
  std::wstring path = crafted::WriteTestFile("big.kmt", c.Bytes());
  std::wstring error;
  allocation_tracker::FailNextAtLeast(20000 * sizeof(uint16_t));
  KmqDataPtr image = LoadCloudFile(path, &error);
  EXPECT_TRUE(allocation_tracker::TakeFailure());
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(error, L"not enough memory to load the cloud");
  EXPECT_EQ(CloudCacheSize(), 0u);
  EXPECT_NE(LoadCloudFile(path, &error), nullptr) << "the memory is back: the same file loads";
}

TEST_F(ReaderFailure, SectionsShorterThanAnnounced) {
  Cloud c = ValidCloud();
  c.chunksX = 4;
  c.chunksY = 2;
  c.groundNx = 3;
  c.groundNy = 2;
  c.ground = {1, 2, 3, 4, 5, 6};
  const std::vector<uint8_t> whole = c.Bytes();
  auto cut = [&](size_t size) { return std::vector<uint8_t>(whole.begin(), whole.begin() + size); };
  const size_t chunksEnd = 128 + 8 * 8, groundEnd = chunksEnd + 2 * 6;
  ASSERT_EQ(whole.size(), groundEnd + 9 * 10);
  EXPECT_EQ(Refusal(cut(128)), L"truncated chunk table");
  EXPECT_EQ(Refusal(cut(chunksEnd - 1)), L"truncated chunk table");
  EXPECT_EQ(Refusal(cut(chunksEnd)), L"truncated ground grid");
  EXPECT_EQ(Refusal(cut(groundEnd - 1)), L"truncated ground grid");
  EXPECT_EQ(Refusal(cut(groundEnd)), L"truncated point data");
  EXPECT_EQ(Refusal(cut(whole.size() - 1)), L"truncated point data");

  Cloud records = c;
  records.magic = "KMQ1";
  records.version = 1;
  const std::vector<uint8_t> kmq1 = records.Bytes();
  ASSERT_EQ(kmq1.size(), groundEnd + 8 * 10);
  EXPECT_EQ(Refusal(std::vector<uint8_t>(kmq1.begin(), kmq1.end() - 1)), L"truncated point data");
}

TEST_F(ReaderFailure, HeaderExtensionCountsBeforeTheChunkTable) {
  Cloud c = ValidCloud();
  c.headerSize = 4000;
  EXPECT_NE(LoadCloudFile(crafted::WriteTestFile("whole.kmt", c.Bytes())), nullptr);
  ClearCloudCache();
  std::vector<uint8_t> bytes = c.Bytes();  // cut inside the extension
  bytes.resize(3000);
  EXPECT_EQ(Refusal(bytes), L"truncated chunk table");
}

TEST_F(ReaderFailure, ChunkTableMustCoverThePointsInOrder) {
  Cloud swapped = ValidCloud();
  swapped.chunksX = 2;
  swapped.chunks = {{{4, 6}, {0, 4}}};  // complete, counts add up, out of order
  EXPECT_EQ(Refusal(swapped.Bytes()), L"chunk table not contiguous");
  Cloud gap = ValidCloud();
  gap.chunksX = 2;
  gap.chunks = {{{0, 4}, {5, 5}}};
  EXPECT_EQ(Refusal(gap.Bytes()), L"chunk table not contiguous");
  Cloud few = ValidCloud();
  few.chunksX = 2;
  few.chunks = {{{0, 4}, {4, 5}}};
  EXPECT_EQ(Refusal(few.Bytes()), L"chunk table/point count mismatch");
  Cloud many = ValidCloud();
  many.chunks = {{{0, 11}}};
  EXPECT_EQ(Refusal(many.Bytes()), L"chunk table/point count mismatch");
}

// Counts whose sum passes 2^32 must not wrap back onto the point count: the running total
// is the true sum, so a table that a 32-bit total would accept is refused.
TEST_F(ReaderFailure, ChunkCountsWhoseSumWrapsThirtyTwoBitsAreRefused) {
  Cloud endsWrapped = ValidCloud();  // 0xFFFFFFFF + 11 wraps to the 10 points
  endsWrapped.chunksX = 2;
  endsWrapped.chunks = {{{0, 0xFFFFFFFFu}, {0xFFFFFFFFu, 11}}};
  EXPECT_EQ(Refusal(endsWrapped.Bytes()), L"chunk table/point count mismatch");
  Cloud continuesWrapped = ValidCloud();  // 10 + 0xFFFFFFFF wraps to 9, where the last entry starts
  continuesWrapped.chunksX = 3;
  continuesWrapped.chunks = {{{0, 10}, {10, 0xFFFFFFFFu}, {9, 1}}};
  EXPECT_EQ(Refusal(continuesWrapped.Bytes()), L"chunk table not contiguous");
}

TEST_F(ReaderFailure, FirstFailingCheckIsReported) {
  Cloud c = ValidCloud();
  c.version = 7;
  c.pointCount = 0;
  EXPECT_EQ(Refusal(c.Bytes()), L"header version/magic mismatch");
  c.version = 2;
  c.chunks = {{{3, 0}}};  // also not contiguous, but the count is checked first
  EXPECT_EQ(Refusal(c.Bytes()), L"implausible header values");
  c.pointCount = 11;  // one point short, and the chunk table is wrong too
  EXPECT_EQ(Refusal(c.Bytes()), L"truncated point data");
}

TEST_F(ReaderFailure, ErrorTextIsReplacedOnFailureAndKeptOnSuccess) {
  std::wstring error = L"kept";
  std::wstring good = crafted::WriteTestFile("good.kmt", ValidCloud().Bytes());
  ASSERT_NE(LoadCloudFile(good, &error), nullptr);
  EXPECT_EQ(error, L"kept");
  EXPECT_EQ(LoadCloudFile(L"/nonexistent.kmt", &error), nullptr);
  EXPECT_EQ(error, L"cannot open file");
  EXPECT_EQ(LoadCloudFile(L"/nonexistent.kmt"), nullptr) << "no error text is needed";
}

// A header announcing far more than the file holds is refused before any array is allocated
// for it: 50,000,000 points would take about 500 MB.
TEST_F(ReaderFailure, HugeCountsOnATinyFileAllocateNothingLarge) {
  struct Case {
    const char* what;
    void (*change)(Cloud&);
    std::wstring message;
  };
  const Case cases[] = {
      {"points", [](Cloud& c) { c.chunks = {{{0, 50'000'000}}}; c.pointCount = 50'000'000; }, L"truncated point data"},
      {"chunks", [](Cloud& c) { c.chunksX = c.chunksY = 256; c.chunks = {{{0, 10}}}; }, L"truncated chunk table"},
      {"ground", [](Cloud& c) { c.groundNx = c.groundNy = 4096; }, L"truncated ground grid"},
  };
  for (const Case& test : cases) {
    Cloud c = ValidCloud();
    test.change(c);
    std::vector<uint8_t> bytes = c.Bytes();
    bytes.resize(200, 0);
    std::wstring path = crafted::WriteTestFile("huge.kmt", bytes);
    std::wstring error;
    auto start = std::chrono::steady_clock::now();
    allocation_tracker::Arm();
    KmqDataPtr image = LoadCloudFile(path, &error);
    size_t largest = allocation_tracker::Disarm();
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(image, nullptr) << test.what;
    EXPECT_EQ(error, test.message) << test.what;
    EXPECT_LT(largest, 64u * 1024) << test.what;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500)) << test.what;
  }
}

// The tracker itself sees the arrays of a file that does hold its points.
TEST_F(ReaderFailure, AllocationTrackerSeesRealLoads) {
  Cloud c = ValidCloud(20000);
  std::wstring path = crafted::WriteTestFile("real.kmt", c.Bytes());
  allocation_tracker::Arm();
  KmqDataPtr image = LoadCloudFile(path);
  size_t largest = allocation_tracker::Disarm();
  ASSERT_NE(image, nullptr);
  EXPECT_GE(largest, 20000u * 7);
}

}  // namespace
