#include "lasio/LasFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kLegacyHeaderSize = 227;
constexpr std::size_t kLas14HeaderSize = 375;
constexpr std::size_t kGlobalEncodingAt = 6, kVersionMajorAt = 24, kVersionMinorAt = 25;
constexpr std::size_t kHeaderSizeAt = 94, kVlrCountAt = 100, kPointFormatAt = 104, kLegacyCountAt = 107;
constexpr std::size_t kEvlrStartAt = 235, kEvlrCountAt = 243, kCount64At = 247;
constexpr std::uint8_t kLastVersionMinor = 4, kLastPointFormat = 10;
constexpr std::uint8_t kCompressionBits = 0xC0;
constexpr std::size_t kVlrHeaderSize = 54, kEvlrHeaderSize = 60;
constexpr std::size_t kRecordIdAt = 18, kRecordLengthAt = 20;
constexpr std::uint16_t kWktRecord = 2112, kGeoKeysRecord = 34735, kGeoDoublesRecord = 34736, kGeoAsciiRecord = 34737;
constexpr std::size_t kGeoKeyShorts = 4;  // every key entry and the directory's own header

template <typename T>
T Load(std::span<const std::uint8_t> bytes, std::size_t at) {
  T value{};
  std::memcpy(&value, bytes.data() + at, sizeof(T));
  return value;
}

void ReadGeoKeys(std::span<const std::uint8_t> content, LasFileFacts& facts) {
  std::size_t shorts = content.size() / sizeof(std::uint16_t);
  if (shorts < kGeoKeyShorts) return;
  auto declared = static_cast<std::size_t>(Load<std::uint16_t>(content, 3 * sizeof(std::uint16_t)));
  std::size_t keys = std::min(declared, shorts / kGeoKeyShorts - 1);
  for (std::size_t k = 1; k <= keys; ++k) {
    std::size_t at = k * kGeoKeyShorts * sizeof(std::uint16_t);
    facts.geoKeys.push_back({Load<std::uint16_t>(content, at), Load<std::uint16_t>(content, at + 2),
                             Load<std::uint16_t>(content, at + 4), Load<std::uint16_t>(content, at + 6)});
  }
}

void ReadRecord(std::uint16_t recordId, std::span<const std::uint8_t> content, LasFileFacts& facts) {
  if (recordId == kWktRecord) {
    facts.wkt.assign(content.begin(), content.end());
    std::erase(facts.wkt, '\0');
  } else if (recordId == kGeoKeysRecord) {
    ReadGeoKeys(content, facts);
  } else if (recordId == kGeoDoublesRecord) {
    facts.geoDoubles.resize(content.size() / sizeof(double));
    if (!facts.geoDoubles.empty()) std::memcpy(facts.geoDoubles.data(), content.data(), facts.geoDoubles.size() * sizeof(double));
  } else if (recordId == kGeoAsciiRecord) {
    facts.geoAscii.assign(content.begin(), content.end());
  }
}

// Reads `count` records from `at` on; false when one runs past the bytes.
bool ReadRecords(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t count, bool extended,
                 LasFileFacts& facts) {
  const std::size_t headerSize = extended ? kEvlrHeaderSize : kVlrHeaderSize;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (at > bytes.size() || bytes.size() - at < headerSize) return false;
    auto recordId = Load<std::uint16_t>(bytes, at + kRecordIdAt);
    std::uint64_t length = extended ? Load<std::uint64_t>(bytes, at + kRecordLengthAt)
                                    : Load<std::uint16_t>(bytes, at + kRecordLengthAt);
    at += headerSize;
    if (bytes.size() - at < length) return false;
    ReadRecord(recordId, bytes.subspan(at, length), facts);
    at += length;
  }
  return true;
}

}  // namespace

std::optional<LasFileFacts> ReadLasFileFacts(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kLegacyHeaderSize || std::memcmp(bytes.data(), "LASF", 4) != 0) return std::nullopt;
  LasFileFacts facts;
  facts.versionMinor = bytes[kVersionMinorAt];
  if (bytes[kVersionMajorAt] != 1 || facts.versionMinor > kLastVersionMinor) return std::nullopt;
  auto headerSize = Load<std::uint16_t>(bytes, kHeaderSizeAt);
  bool las14 = facts.versionMinor == kLastVersionMinor;
  if (headerSize < (las14 ? kLas14HeaderSize : kLegacyHeaderSize) || headerSize > bytes.size()) return std::nullopt;
  facts.pointFormat = bytes[kPointFormatAt] & static_cast<std::uint8_t>(~kCompressionBits);
  if (facts.pointFormat > kLastPointFormat) return std::nullopt;
  facts.globalEncoding = Load<std::uint16_t>(bytes, kGlobalEncodingAt);
  facts.pointCount = Load<std::uint32_t>(bytes, kLegacyCountAt);
  if (las14 && Load<std::uint64_t>(bytes, kCount64At) != 0) facts.pointCount = Load<std::uint64_t>(bytes, kCount64At);
  if (!ReadRecords(bytes, headerSize, Load<std::uint32_t>(bytes, kVlrCountAt), false, facts)) return std::nullopt;
  if (las14 && Load<std::uint32_t>(bytes, kEvlrCountAt) > 0 &&
      !ReadRecords(bytes, Load<std::uint64_t>(bytes, kEvlrStartAt), Load<std::uint32_t>(bytes, kEvlrCountAt), true, facts))
    return std::nullopt;
  return facts;
}
