// Tile decoding: generated tiles of every format decode to exactly the points written, the
// class comes from the right byte, and a damaged tile is refused without reading past it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "lazworker/LazTile.h"
#include "tools/eptgen/EptDataset.h"

namespace {

using eptgen::ScenePoint;
using eptgen::TileFormat;

constexpr double kScale = 0.01;
constexpr double kOffsetX = -8570000, kOffsetY = 4866000, kOffsetZ = 200;

struct Decoded {
  std::vector<ScenePoint> points;
  bool ok = false;
  std::wstring error;
};

Decoded Decode(const ByteBuffer& tile) {
  Decoded out;
  out.ok = DecodeLazTile(
      tile,
      [&out](double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) {
        ScenePoint p;
        p.x = x, p.y = y, p.z = z, p.cls = cls, p.intensity = intensity;
        out.points.push_back(p);
      },
      out.error);
  return out;
}

void ExpectSamePoints(const std::vector<ScenePoint>& got, const std::vector<ScenePoint>& want, size_t count) {
  ASSERT_LE(count, want.size());
  ASSERT_EQ(got.size(), count);
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(got[i].x, want[i].x) << i;
    ASSERT_EQ(got[i].y, want[i].y) << i;
    ASSERT_EQ(got[i].z, want[i].z) << i;
    ASSERT_EQ(got[i].cls, want[i].cls) << i;
    ASSERT_EQ(got[i].intensity, want[i].intensity) << i;
  }
}

eptgen::PlannedDataset SmallDataset() { return eptgen::SceneDataset(17, -77.0, 40.0, 600.0, 6000, 300); }

ByteBuffer Encode(const eptgen::PlannedDataset& d, const eptgen::PlannedNode& node) {
  return eptgen::EncodeLazTile(node.points, node.format, d.options.scale, d.offsetX, d.offsetY, d.offsetZ);
}

TEST(LazTileTest, GeneratedTilesOfEveryFormatDecodeToTheirPoints) {
  eptgen::PlannedDataset dataset = SmallDataset();
  std::set<std::pair<int, int>> seen;  // (point format, LAS minor version)
  bool extraBytes = false;
  for (const eptgen::PlannedNode& node : dataset.nodes) {
    ByteBuffer tile = Encode(dataset, node);
    std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(tile);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pointFormat, node.format.pointFormat);
    EXPECT_EQ(facts->recordLength, MinimumRecordLength(node.format.pointFormat) + node.format.extraBytes);
    EXPECT_EQ(facts->pointCount, node.points.size());
    seen.insert({node.format.pointFormat, node.format.versionMinor});
    extraBytes = extraBytes || node.format.extraBytes > 0;
    Decoded decoded = Decode(tile);
    ASSERT_TRUE(decoded.ok) << node.key.text();
    EXPECT_EQ(decoded.error, L"");
    ExpectSamePoints(decoded.points, node.points, node.points.size());
  }
  EXPECT_TRUE(seen.count({1, 2}) && seen.count({1, 4}) && seen.count({3, 2}) && seen.count({6, 4}));
  EXPECT_TRUE(extraBytes);
}

TEST(LazTileTest, ClassComesFromTheLowBitsOrTheExtendedByte) {
  ScenePoint ground;
  ground.x = kOffsetX, ground.y = kOffsetY, ground.z = kOffsetZ;
  ground.cls = 2;
  ground.withheld = true;  // the classification byte is 0x82
  Decoded legacy = Decode(eptgen::EncodeLazTile({ground}, TileFormat{1, 2, 0}, kScale, kOffsetX, kOffsetY, kOffsetZ));
  ASSERT_TRUE(legacy.ok);
  ASSERT_EQ(legacy.points.size(), 1u);
  EXPECT_EQ(legacy.points[0].cls, 2);

  ScenePoint extended = ground;
  extended.cls = 130;
  Decoded modern = Decode(eptgen::EncodeLazTile({extended}, TileFormat{6, 4, 0}, kScale, kOffsetX, kOffsetY, kOffsetZ));
  ASSERT_TRUE(modern.ok);
  ASSERT_EQ(modern.points.size(), 1u);
  EXPECT_EQ(modern.points[0].cls, 130);
}

TEST(LazTileTest, RecordsShorterThanTheirFormatAndUnknownFormatsAreRefused) {
  eptgen::PlannedDataset dataset = SmallDataset();
  ByteBuffer tile = Encode(dataset, dataset.nodes.front());
  ASSERT_TRUE(Decode(tile).ok);

  ByteBuffer shortRecords = tile;
  std::uint16_t length = MinimumRecordLength(dataset.nodes.front().format.pointFormat) - 1;
  std::memcpy(shortRecords.data() + 105, &length, sizeof(length));
  Decoded refused = Decode(shortRecords);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, L"laz decode failed");
  EXPECT_TRUE(refused.points.empty());

  ByteBuffer unknown = tile;
  unknown[104] = static_cast<std::uint8_t>((unknown[104] & 0xC0) | 11);
  refused = Decode(unknown);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, L"laz decode failed");

  // A description of the compressed items that does not fit the records, names an unknown
  // compressor or an unknown version of an item: refused before the LAZ reader sees it.
  const std::string marker = "laszip encoded";
  size_t vlr = std::search(tile.begin(), tile.end(), marker.begin(), marker.end()) - tile.begin() - 2;
  ASSERT_LT(vlr, tile.size());
  size_t content = vlr + 54;
  for (auto [at, value] : {std::pair<size_t, std::uint8_t>{content + 34 + 2, 21}, {content + 0, 9},
                           {content + 34 + 4, 7}, {content + 2, 1}}) {
    ByteBuffer damaged = tile;
    damaged[at] = value;
    refused = Decode(damaged);
    EXPECT_FALSE(refused.ok) << at;
    EXPECT_EQ(refused.error, L"laz decode failed");
  }

  for (const char* text : {"", "LASF", "not a las file at all, but long enough to hold a header of sorts"}) {
    refused = Decode(ByteBuffer(text, text + std::strlen(text)));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, L"laz decode failed");
  }
}

TEST(LazTileTest, TileCutAtAnyByteIsRefusedCleanly) {
  eptgen::PlannedDataset dataset = SmallDataset();
  for (std::uint8_t format : {1, 3, 6}) {
    const eptgen::PlannedNode* node = nullptr;
    for (const eptgen::PlannedNode& n : dataset.nodes)
      if (n.format.pointFormat == format && n.points.size() > 100) node = &n;
    ASSERT_NE(node, nullptr);
    ByteBuffer tile = Encode(dataset, *node);
    size_t step = std::max<size_t>(1, tile.size() / 4000);
    for (size_t cut = 0; cut < tile.size(); cut += step) {
      Decoded decoded = Decode(ByteBuffer(tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(cut)));
      ASSERT_FALSE(decoded.ok) << "format " << int(format) << " cut at " << cut << " of " << tile.size();
      EXPECT_FALSE(decoded.error.empty());
      // Whatever came before the failure was real.
      ExpectSamePoints(decoded.points, node->points, decoded.points.size());
    }
  }
}

}  // namespace
