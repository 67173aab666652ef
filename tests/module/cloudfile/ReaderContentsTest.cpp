// What a loaded image holds: header values, chunk table, ground grid, points and intensities
// of both variants.
#include <gtest/gtest.h>

#include <cstring>

#include "CraftedCloud.h"
#include "cloudfile/CloudReader.h"
#include "wideutf8.h"

namespace {

using crafted::Cloud;

class ReaderContents : public testing::Test {
 protected:
  void SetUp() override { ClearCloudCache(); }
  void TearDown() override { ClearCloudCache(); }

  static KmqDataPtr Load(const Cloud& cloud) {
    std::wstring error;
    KmqDataPtr image = LoadCloudFile(crafted::WriteTestFile("cloud.kmt", cloud.Bytes()), &error);
    EXPECT_NE(image, nullptr) << pelvarhost::WideToUtf8(error);
    return image;
  }
};

TEST_F(ReaderContents, HeaderValuesAreCopied) {
  Cloud c;
  c.points = crafted::NumberedPoints(6);
  c.chunksX = 3;
  c.chunksY = 2;
  c.chunks = {{{0, 1}, {1, 0}, {1, 2}, {3, 0}, {3, 0}, {3, 3}}};
  c.groundNx = 3;
  c.groundNy = 2;
  c.ground = {10, 20, 30, 40, 50, 65535};
  KmqDataPtr d = Load(c);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->originX, c.originX);
  EXPECT_EQ(d->originY, c.originY);
  EXPECT_EQ(d->originZ, c.originZ);
  EXPECT_EQ(d->sizeX, c.sizeX);
  EXPECT_EQ(d->sizeY, c.sizeY);
  EXPECT_EQ(d->sizeZ, c.sizeZ);
  EXPECT_EQ(d->pointCount, 6u);
  EXPECT_EQ(d->chunksX, 3);
  EXPECT_EQ(d->chunksY, 2);
  EXPECT_EQ(d->groundNx, 3);
  EXPECT_EQ(d->groundNy, 2);
  EXPECT_EQ(d->groundCell, c.groundCell);
  EXPECT_EQ(d->groundOriginX, c.groundOriginX);
  EXPECT_EQ(d->groundOriginY, c.groundOriginY);
  EXPECT_EQ(d->groundZBase, c.groundZBase);
  EXPECT_EQ(d->groundZSpan, c.groundZSpan);
  EXPECT_EQ(d->epsg, 2240u);
  EXPECT_STREQ(d->tileName, "crafted");
  EXPECT_EQ(d->centerX, c.centerX);
  EXPECT_EQ(d->centerY, c.centerY);
  EXPECT_EQ(d->halfSize, c.halfSize);
  ASSERT_EQ(d->chunks.size(), 6u);
  EXPECT_EQ(d->chunks[2].first, 1u);
  EXPECT_EQ(d->chunks[2].count, 2u);
  EXPECT_EQ(d->chunks[5].first, 3u);
  EXPECT_EQ(d->chunks[5].count, 3u);
  ASSERT_EQ(d->ground.size(), 6u);
  EXPECT_EQ(d->ground[2], 30);
  EXPECT_EQ(d->ground[5], 65535);
  EXPECT_DOUBLE_EQ(DecodeGroundCode(*d, 65535), 840.0);
  EXPECT_DOUBLE_EQ(DecodeGroundCode(*d, 0), 780.0);
}

TEST_F(ReaderContents, TileNameOfSixteenBytesGetsATerminator) {
  Cloud c;
  c.points = crafted::NumberedPoints(1);
  c.tileName = "ABCDEFGHIJKLMNOP";
  KmqDataPtr d = Load(c);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(std::memcmp(d->tileName, "ABCDEFGHIJKLMNOP", 17), 0);
}

TEST_F(ReaderContents, PlanesBecomeRecordsWithTheHighIntensityByte) {
  Cloud c;
  c.points = crafted::NumberedPoints(300, 217);
  KmqDataPtr d = Load(c);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->points.size(), 300u);
  ASSERT_EQ(d->intensity16.size(), 300u);
  uint16_t most = 0;
  for (size_t i = 0; i < 300; ++i) {
    const crafted::Point& p = c.points[i];
    const KmqPoint& q = d->points[i];
    ASSERT_EQ(q.qx, p.qx) << i;
    ASSERT_EQ(q.qy, p.qy) << i;
    ASSERT_EQ(q.qz, p.qz) << i;
    ASSERT_EQ(q.cls, p.cls) << i;
    ASSERT_EQ(q.intensity, p.intensity >> 8) << i;
    ASSERT_EQ(d->intensity16[i], p.intensity) << i;
    most = std::max(most, p.intensity);
  }
  EXPECT_EQ(d->maxIntensity, most);
}

TEST_F(ReaderContents, PlanesOfEveryLengthInterleave) {
  // Sizes around the reader's interleave block of 32768 points as well as tiny ones.
  for (size_t n : {1, 2, 3, 7, 64, 1001, 32768, 32769, 70001}) {
    ClearCloudCache();
    Cloud c;
    c.points = crafted::NumberedPoints(n, 4099);
    KmqDataPtr d = Load(c);
    ASSERT_NE(d, nullptr) << n;
    for (size_t i = 0; i < n; ++i) {
      const crafted::Point& p = c.points[i];
      const KmqPoint expected{p.qx, p.qy, p.qz, p.cls, static_cast<uint8_t>(p.intensity >> 8)};
      ASSERT_EQ(std::memcmp(&d->points[i], &expected, sizeof expected), 0) << n << " " << i;
      ASSERT_EQ(d->intensity16[i], p.intensity) << n << " " << i;
    }
  }
}

// Both variants are read in blocks: every block's records, widened intensities and the
// largest intensity must come out whichever block (or leftover of one) holds the peak.
TEST_F(ReaderContents, EveryBlockOfBothVariantsIsRead) {
  struct Case {
    const char* magic;
    size_t points;
    size_t peakAt;
  };
  for (const Case& test : {Case{"KMQ1", 70001, 70000}, Case{"KMQ1", 32769, 40}, Case{"KMQ2", 70001, 69999},
                           Case{"KMQ2", 32775, 32770}, Case{"KMQ2", 13, 3}}) {
    SCOPED_TRACE(testing::Message() << test.magic << " " << test.points);
    ClearCloudCache();
    const bool records = test.magic[3] == '1';
    Cloud c;
    c.magic = test.magic;
    c.version = records ? 1 : 2;
    c.points = crafted::NumberedPoints(test.points, 0);
    for (size_t i = 0; i < test.points; ++i) c.points[i].intensity = static_cast<uint16_t>(i % 97);
    c.points[test.peakAt].intensity = records ? 0xC8 : 0xC8F1;
    KmqDataPtr d = Load(c);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->maxIntensity, records ? 0xC8 * 257 : 0xC8F1);
    for (size_t i = 0; i < test.points; ++i) {
      const crafted::Point& p = c.points[i];
      const KmqPoint expected{p.qx, p.qy, p.qz, p.cls, static_cast<uint8_t>(records ? p.intensity : p.intensity >> 8)};
      ASSERT_EQ(std::memcmp(&d->points[i], &expected, sizeof expected), 0) << i;
      ASSERT_EQ(d->intensity16[i], records ? p.intensity * 257 : p.intensity) << i;
    }
  }
}

TEST_F(ReaderContents, RecordIntensitiesAreWidenedBy257) {
  Cloud c;
  c.magic = "KMQ1";
  c.version = 1;
  c.points = {{1, 2, 3, 6, 0}, {4, 5, 6, 2, 1}, {7, 8, 9, 9, 200}, {10, 11, 12, 17, 255}};
  KmqDataPtr d = Load(c);
  ASSERT_NE(d, nullptr);
  const uint16_t expected[] = {0, 257, 51400, 65535};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(d->intensity16[i], expected[i]) << i;
    EXPECT_EQ(d->points[i].intensity, c.points[i].intensity) << i;
    EXPECT_EQ(d->points[i].qz, c.points[i].qz) << i;
    EXPECT_EQ(d->points[i].cls, c.points[i].cls) << i;
  }
  EXPECT_EQ(d->maxIntensity, 65535);
}

TEST_F(ReaderContents, AllZeroIntensitiesGiveMaximumOne) {
  for (const char* magic : {"KMQ1", "KMQ2"}) {
    ClearCloudCache();
    Cloud c;
    c.magic = magic;
    c.version = magic[3] == '1' ? 1 : 2;
    c.points = {{1, 2, 3, 2, 0}, {4, 5, 6, 2, 0}};
    KmqDataPtr d = Load(c);
    ASSERT_NE(d, nullptr) << magic;
    EXPECT_EQ(d->maxIntensity, 1) << magic;
    EXPECT_EQ(d->intensity16[1], 0) << magic;
  }
}

TEST_F(ReaderContents, HeaderSizeAboveAndBelow128) {
  Cloud big;
  big.headerSize = 200;
  big.extensionFill = 0x77;  // would read as a broken chunk table if not skipped
  big.points = crafted::NumberedPoints(5);
  KmqDataPtr d = Load(big);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->chunks[0].count, 5u);
  EXPECT_EQ(d->points[4].qx, big.points[4].qx);

  ClearCloudCache();
  Cloud small = big;
  small.headerSize = 100;  // nothing skipped: the chunk table still starts at 128
  d = Load(small);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->chunks[0].count, 5u);
  EXPECT_EQ(d->points[4].qy, big.points[4].qy);
}

TEST_F(ReaderContents, NoGroundGridAndTrailingBytes) {
  Cloud c;
  c.points = crafted::NumberedPoints(3);
  c.groundNx = 0;
  c.groundNy = 17;
  c.trailer = {1, 2, 3, 4, 5};
  KmqDataPtr d = Load(c);
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->ground.empty());
  EXPECT_EQ(d->points[2].qz, c.points[2].qz);
}

TEST(KmqDecoding, CodesSpanTheBox) {
  KmqData d;
  d.originX = 2229000.5;
  d.sizeX = 1999.75f;
  d.originZ = -10.0;
  d.sizeZ = 0.01f;
  const KmqPoint top{65535, 0, 65535, 2, 0};
  const KmqPoint bottom{0, 0, 0, 2, 0};
  const KmqPoint middle{32768, 0, 13107, 2, 0};
  EXPECT_DOUBLE_EQ(DecodeX(d, top), 2229000.5 + 1999.75);
  EXPECT_DOUBLE_EQ(DecodeX(d, bottom), 2229000.5);
  EXPECT_DOUBLE_EQ(DecodeX(d, middle), 2229000.5 + 32768.0 / 65535.0 * 1999.75);
  EXPECT_DOUBLE_EQ(DecodeZ(d, top), -10.0 + double(0.01f));
  EXPECT_DOUBLE_EQ(DecodeZ(d, middle), -10.0 + 0.2 * double(0.01f));
  EXPECT_DOUBLE_EQ(DecodeY(d, top), 0.0);
}

}  // namespace
