// The decoder's answers: what is encoded reads back the same, and every answer whose counts
// or sizes do not agree is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "lazworker/DecodeProtocol.h"

namespace {

// Offsets in an encoded answer.
constexpr size_t kFormatAt = 1, kAnnouncedAt = 50, kCountAt = 58, kErrorLengthAt = 66, kErrorAt = 68;

DecodeAnswer TwoPoints(DecodeOutcome outcome) {
  DecodeAnswer answer;
  answer.outcome = outcome;
  answer.error = outcome == DecodeOutcome::kWhole ? "" : "reading point 2 of 3 total points";
  answer.points.pointFormat = 6;
  answer.points.scale[0] = 0.01, answer.points.offset[2] = -12.5;
  answer.points.announcedCount = outcome == DecodeOutcome::kWhole ? 2 : 3;
  answer.points.points = {{-5, 7, 1 << 30, 65535, 130, 2, 3}, {0, 0, -1, 1, 2, 1, 1}};
  return answer;
}

void PutU64(FrameBytes& bytes, size_t at, std::uint64_t value) { std::memcpy(bytes.data() + at, &value, 8); }

TEST(DecodeProtocolTest, AnswersReadBackAsEncoded) {
  for (DecodeOutcome outcome : {DecodeOutcome::kWhole, DecodeOutcome::kRefused}) {
    DecodeAnswer sent = TwoPoints(outcome);
    FrameBytes bytes = EncodeDecodeAnswer(sent);
    EXPECT_EQ(bytes.size(), kErrorAt + sent.error.size() + 2 * kWireRecordSize);
    DecodeAnswer got;
    std::string why;
    ASSERT_TRUE(ParseDecodeAnswer(bytes.data(), bytes.size(), got, why)) << why;
    EXPECT_EQ(got.outcome, outcome);
    EXPECT_EQ(got.error, sent.error);
    EXPECT_EQ(got.points.pointFormat, 6);
    EXPECT_EQ(got.points.scale[0], 0.01);
    EXPECT_EQ(got.points.offset[2], -12.5);
    EXPECT_EQ(got.points.announcedCount, sent.points.announcedCount);
    EXPECT_EQ(got.points.points, sent.points.points);
  }
}

TEST(DecodeProtocolTest, AnswersWhoseCountsOrSizesDisagreeAreRefused) {
  const FrameBytes whole = EncodeDecodeAnswer(TwoPoints(DecodeOutcome::kWhole));
  const FrameBytes refused = EncodeDecodeAnswer(TwoPoints(DecodeOutcome::kRefused));
  struct Case {
    const char* what;
    const FrameBytes& base;
    std::function<void(FrameBytes&)> damage;
  } cases[] = {
      {"empty", whole, [](FrameBytes& b) { b.clear(); }},
      {"cut inside the fixed part", whole, [](FrameBytes& b) { b.resize(kCountAt); }},
      {"cut inside a record", whole, [](FrameBytes& b) { b.pop_back(); }},
      {"a byte too many", whole, [](FrameBytes& b) { b.push_back(0); }},
      {"a record too many", whole, [](FrameBytes& b) { b.insert(b.end(), kWireRecordSize, 0); }},
      {"unknown outcome", whole, [](FrameBytes& b) { b[0] = 2; }},
      {"unknown point format", whole, [](FrameBytes& b) { b[kFormatAt] = 11; }},
      {"count above the records", whole, [](FrameBytes& b) { PutU64(b, kCountAt, 3); }},
      {"count far above the records", whole, [](FrameBytes& b) { PutU64(b, kCountAt, ~std::uint64_t{0} / 4); }},
      {"whole but fewer than announced", whole, [](FrameBytes& b) { PutU64(b, kAnnouncedAt, 3); }},
      {"more than announced", refused, [](FrameBytes& b) { PutU64(b, kAnnouncedAt, 1); }},
      {"whole with a failure text", whole, [](FrameBytes& b) { b[kErrorLengthAt] = 1; }},
      {"refused without a text", refused, [](FrameBytes& b) { b[kErrorLengthAt] = 0, b[kErrorLengthAt + 1] = 0; }},
      {"text longer than allowed", refused, [](FrameBytes& b) { b[kErrorLengthAt + 1] = 0x10; }},
      {"text past the end", refused, [](FrameBytes& b) { b[kErrorLengthAt] = 0xFF, b[kErrorLengthAt + 1] = 0x03; }},
  };
  for (const Case& c : cases) {
    FrameBytes bytes = c.base;
    c.damage(bytes);
    DecodeAnswer got;
    std::string why;
    EXPECT_FALSE(ParseDecodeAnswer(bytes.data(), bytes.size(), got, why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

}  // namespace
