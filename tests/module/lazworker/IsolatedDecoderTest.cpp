// Decoding in the worker process: the same points and texts as the in-process decoder on
// generated tiles and on every corpus input, the whole records for the import, and a failed
// file (crash, limit, time-out, malformed answer) that costs only that file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "lazworker/LazTile.h"
#include "retrieval/IsolatedLazDecoder.h"
#include "tools/eptgen/EptDataset.h"

// The in-process decoder, run here to compare against, leaks inside LASzip on some damaged
// corpus inputs; those allocations are LASzip's, never this program's.
extern "C" const char* __lsan_default_suppressions() { return "leak:liblaszip.so\n"; }

namespace {

namespace fs = std::filesystem;

struct Decoded {
  bool ok = false;
  std::wstring error;
  std::vector<std::array<double, 5>> points;  // x, y, z, class, intensity
};

LazPointSink Collect(Decoded& out) {
  return [&out](double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) {
    out.points.push_back({x, y, z, double(cls), double(intensity)});
  };
}

Decoded InProcess(const ByteBuffer& file) {
  Decoded out;
  out.ok = DecodeLazTile(file, Collect(out), out.error);
  return out;
}

Decoded Isolated(IsolatedLazDecoder& decoder, const ByteBuffer& file) {
  Decoded out;
  out.ok = decoder.decode(file, Collect(out), out.error);
  return out;
}

void ExpectSame(const Decoded& isolated, const Decoded& inProcess, const std::string& name) {
  EXPECT_EQ(isolated.ok, inProcess.ok) << name;
  EXPECT_EQ(isolated.error, inProcess.error) << name;
  // Compared bit for bit: NaN coordinates of damaged headers are the same NaN too.
  ASSERT_EQ(isolated.points.size(), inProcess.points.size()) << name;
  if (!isolated.points.empty()) {
    EXPECT_EQ(std::memcmp(isolated.points.data(), inProcess.points.data(),
                          isolated.points.size() * sizeof(isolated.points[0])),
              0)
        << name;
  }
}

ByteBuffer ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> FilesIn(const char* folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(PELVAR_SOURCE_DIR) / folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(IsolatedDecoderTest, GeneratedTilesAndCorpusInputsDecodeAsInProcess) {
  IsolatedLazDecoder decoder;
  eptgen::PlannedDataset dataset = eptgen::SceneDataset(17, -77.0, 40.0, 600.0, 6000, 300);
  for (const eptgen::PlannedNode& node : dataset.nodes) {
    ByteBuffer tile = eptgen::EncodeLazTile(node.points, node.format, dataset.options.scale, dataset.offsetX,
                                            dataset.offsetY, dataset.offsetZ);
    ExpectSame(Isolated(decoder, tile), InProcess(tile), node.key.text());
  }
  int decodedWhole = 0;
  for (const fs::path& input : FilesIn("fuzz/corpus/laz_tile")) {
    ByteBuffer bytes = ReadFile(input);
    Decoded inProcess = InProcess(bytes);
    decodedWhole += inProcess.ok;
    ExpectSame(Isolated(decoder, bytes), inProcess, input.filename().string());
  }
  EXPECT_GT(decodedWhole, 10);
}

TEST(IsolatedDecoderTest, RecordsKeepTheClassificationByteAndReturns) {
  eptgen::ScenePoint p;
  p.x = -8570000, p.y = 4866000, p.z = 200;
  p.cls = 2;
  p.withheld = true;
  p.intensity = 77;
  struct Case {
    eptgen::TileFormat format;
    std::uint8_t classification;
  } cases[] = {{{1, 2, 0}, 0x82}, {{3, 4, 2}, 0x82}, {{6, 4, 0}, 2}};
  IsolatedLazDecoder decoder;
  for (const Case& c : cases) {
    ByteBuffer file = eptgen::EncodeLazTile({p}, c.format, 0.01, -8570000, 4866000, 200);
    LasPointSet set;
    std::wstring error;
    ASSERT_TRUE(decoder.decodeRecords(file, set, error)) << int(c.format.pointFormat);
    EXPECT_EQ(set.pointFormat, c.format.pointFormat);
    EXPECT_EQ(set.announcedCount, 1u);
    ASSERT_EQ(set.points.size(), 1u);
    const LasPointRecord& r = set.points[0];
    EXPECT_EQ(r.classification, c.classification);
    EXPECT_EQ(set.pointClass(r), 2);
    EXPECT_EQ(r.intensity, 77);
    EXPECT_EQ(set.worldX(r), p.x);
    EXPECT_EQ(set.worldZ(r), p.z);
    EXPECT_GE(r.returnNumber, 1);
    EXPECT_GE(r.numberOfReturns, r.returnNumber);
  }
}

// Inputs that crash LASzip itself or make it leak: each fails alone, and the decoder goes on
// with a fresh worker.
TEST(IsolatedDecoderTest, KnownCrashingInputsFailAndTheNextFileDecodes) {
  eptgen::PlannedDataset dataset = eptgen::SceneDataset(5, -77.0, 40.0, 300.0, 500, 600);
  const eptgen::PlannedNode& node = dataset.nodes.front();
  ByteBuffer good = eptgen::EncodeLazTile(node.points, node.format, dataset.options.scale, dataset.offsetX,
                                          dataset.offsetY, dataset.offsetZ);
  IsolatedLazDecoder decoder;
  std::vector<fs::path> known = FilesIn("fuzz/known/laz_tile");
  known.erase(std::remove_if(known.begin(), known.end(), [](const fs::path& p) { return p.extension() == ".md"; }),
              known.end());
  ASSERT_FALSE(known.empty());
  for (const fs::path& input : known) {
    Decoded bad = Isolated(decoder, ReadFile(input));
    EXPECT_FALSE(bad.ok) << input;
    // LASzip's own text where it refused the file, else the worker's death.
    if (input.filename().string().starts_with("crash-")) {
      EXPECT_EQ(bad.error, L"laz decode failed") << input;
    }
    EXPECT_FALSE(bad.error.empty()) << input;
    Decoded next = Isolated(decoder, good);
    EXPECT_TRUE(next.ok) << input;
    EXPECT_EQ(next.points.size(), node.points.size());
  }
}

// Workers that misbehave in every way the module must survive.
TEST(IsolatedDecoderTest, AWorkerThatDiesHangsOrAnswersNonsenseFailsThatFileOnly) {
  struct Case {
    const char* what;
    std::vector<std::string> command;
  } cases[] = {
      {"no such program", {"/nonexistent/pelvar-lazdecode"}},
      {"ends at once", {"/bin/true"}},
      {"echoes the request", {"/bin/cat"}},
      {"never answers", {"/bin/sleep", "30"}},
  };
  ByteBuffer file = eptgen::EncodeLazTile({eptgen::ScenePoint{}}, {1, 2, 0}, 0.01, 0, 0, 0);
  for (const Case& c : cases) {
    IsolatedLazDecoder decoder(c.command, std::chrono::milliseconds(300));
    for (int attempt = 0; attempt < 2; ++attempt) {
      Decoded out = Isolated(decoder, file);
      EXPECT_FALSE(out.ok) << c.what;
      EXPECT_EQ(out.error, L"laz decode failed") << c.what;
      EXPECT_TRUE(out.points.empty()) << c.what;
      EXPECT_EQ(decoder.workerPid(), -1) << c.what;
    }
  }
}

}  // namespace
