#include "lazworker/LazTile.h"

#include <laszip/laszip_api.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <istream>
#include <streambuf>

namespace {

// Offsets in the public LAS header.
constexpr size_t kLegacyHeaderSize = 227;
constexpr size_t kLas14HeaderSize = 375;
constexpr size_t kVersionMajorAt = 24, kVersionMinorAt = 25;
constexpr size_t kHeaderSizeAt = 94, kPointDataOffsetAt = 96;
constexpr size_t kPointFormatAt = 104, kRecordLengthAt = 105, kLegacyCountAt = 107, kCount64At = 247;
constexpr std::uint8_t kCompressionBits = 0xC0;
constexpr std::uint8_t kFirstExtendedFormat = 6;
constexpr size_t kChunkTableHeaderSize = 8;  // version and number of chunks
constexpr size_t kVlrCountAt = 100;
constexpr size_t kVlrHeaderSize = 54;
constexpr size_t kVlrUserIdAt = 2, kVlrRecordIdAt = 18, kVlrLengthAt = 20;
constexpr char kLaszipUserId[] = "laszip encoded";
constexpr std::uint16_t kLaszipRecordId = 22204;
constexpr std::uint16_t kLaszipLastCompressor = 3;  // none, point-wise, chunked, layered
constexpr size_t kLaszipCompressorAt = 0, kLaszipCoderAt = 2;
constexpr size_t kLaszipItemCountAt = 32, kLaszipItemsAt = 34, kLaszipItemSize = 6;
// The size of each compressed item type (0 and 14 are extra bytes of any size), and the
// versions of its compression the reader knows (bit v set: version v).
constexpr std::array<std::uint16_t, 15> kItemSizes = {0, 0, 0, 0, 0, 0, 20, 8, 6, 29, 30, 6, 8, 29, 0};
constexpr std::array<std::uint8_t, 15> kItemVersions = {0x07, 0, 0, 0, 0, 0, 0x07, 0x07, 0x07, 0x03,
                                                        0x1D, 0x1D, 0x1D, 0x19, 0x1D};
constexpr std::uint8_t kLasVersionMajor = 1, kLasLastVersionMinor = 4;
constexpr std::array<std::uint16_t, 11> kFormatRecordLengths = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};
// The flags above the class in the classification byte of formats 0 to 5.
constexpr int kSyntheticBit = 5, kKeyPointBit = 6, kWithheldBit = 7;
// Room for at most this many records is taken before the points are read.
constexpr std::uint64_t kReserveAtMost = std::uint64_t{1} << 24;

template <typename T>
T ReadLittleEndian(const ByteBuffer& bytes, size_t at) {
  T value{};
  std::memcpy(&value, bytes.data() + at, sizeof(T));
  return value;
}

// A read-only stream over bytes in memory that can seek, as the LAZ reader needs.
class MemoryStreamBuffer : public std::streambuf {
 public:
  explicit MemoryStreamBuffer(const ByteBuffer& bytes) {
    char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    setg(begin, begin, begin + bytes.size());
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
    if ((which & std::ios_base::in) == 0) return pos_type(off_type(-1));
    off_type base = dir == std::ios_base::beg ? 0 : dir == std::ios_base::cur ? gptr() - eback() : egptr() - eback();
    off_type target = base + offset;
    if (target < 0 || target > egptr() - eback()) return pos_type(off_type(-1));
    setg(eback(), eback() + target, egptr());
    return pos_type(target);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
    return seekoff(off_type(position), std::ios_base::beg, which);
  }
};

// A LASzip reader, destroyed on every path.
class LazReader {
 public:
  LazReader() {
    if (laszip_create(&reader_) != 0) reader_ = nullptr;
  }
  ~LazReader() {
    if (reader_ == nullptr) return;
    if (open_) laszip_close_reader(reader_);
    laszip_destroy(reader_);
  }
  LazReader(const LazReader&) = delete;
  LazReader& operator=(const LazReader&) = delete;

  laszip_POINTER get() const { return reader_; }
  bool open(std::istream& stream) {
    laszip_BOOL compressed = 0;
    open_ = reader_ != nullptr && laszip_open_reader_stream(reader_, stream, &compressed) == 0;
    return open_;
  }
  std::string errorText() const {
    laszip_CHAR* text = nullptr;
    if (reader_ == nullptr || laszip_get_error(reader_, &text) != 0 || text == nullptr || text[0] == '\0')
      return kLazDecodeFailed;
    return text;
  }

 private:
  laszip_POINTER reader_ = nullptr;
  bool open_ = false;
};

// Opens the tile and passes the header, then each point in turn, to the callbacks. False,
// with `error` set, when LASzip refuses the tile or one of its points.
template <typename OnHeader, typename OnPoint>
bool ReadEachPoint(const ByteBuffer& tile, const LasHeaderFacts& facts, OnHeader onHeader, OnPoint onPoint,
                   std::string& error) {
  MemoryStreamBuffer buffer(tile);
  std::istream stream(&buffer);
  LazReader reader;
  laszip_header* header = nullptr;
  laszip_point* point = nullptr;
  if (!reader.open(stream) || laszip_get_header_pointer(reader.get(), &header) != 0 ||
      laszip_get_point_pointer(reader.get(), &point) != 0) {
    error = reader.errorText();
    return false;
  }
  onHeader(*header);
  for (std::uint64_t i = 0; i < facts.pointCount; ++i) {
    if (laszip_read_point(reader.get()) != 0) {
      error = reader.errorText();
      return false;
    }
    onPoint(*point);
  }
  return true;
}

bool DecodePoints(const ByteBuffer& tile, const LasHeaderFacts& facts, const LazPointSink& sink, std::string& error) {
  bool extended = facts.pointFormat >= kFirstExtendedFormat;
  double sx = 1, sy = 1, sz = 1, ox = 0, oy = 0, oz = 0;
  auto onHeader = [&](const laszip_header& h) {
    sx = h.x_scale_factor, sy = h.y_scale_factor, sz = h.z_scale_factor;
    ox = h.x_offset, oy = h.y_offset, oz = h.z_offset;
  };
  auto onPoint = [&](const laszip_point& p) {
    std::uint8_t cls = extended ? p.extended_classification : p.classification;
    sink(p.X * sx + ox, p.Y * sy + oy, p.Z * sz + oz, cls, p.intensity);
  };
  return ReadEachPoint(tile, facts, onHeader, onPoint, error);
}

LasPointRecord RecordOf(const laszip_point& p, bool extended) {
  LasPointRecord r;
  r.x = p.X, r.y = p.Y, r.z = p.Z;
  r.intensity = p.intensity;
  if (extended) {
    r.classification = p.extended_classification;
    r.returnNumber = p.extended_return_number;
    r.numberOfReturns = p.extended_number_of_returns;
  } else {
    r.classification = static_cast<std::uint8_t>(p.classification | p.synthetic_flag << kSyntheticBit |
                                                 p.keypoint_flag << kKeyPointBit | p.withheld_flag << kWithheldBit);
    r.returnNumber = p.return_number;
    r.numberOfReturns = p.number_of_returns;
  }
  return r;
}

bool DecodeRecords(const ByteBuffer& file, const LasHeaderFacts& facts, LasPointSet& set, std::string& error) {
  bool extended = facts.pointFormat >= kFirstExtendedFormat;
  set.points.reserve(static_cast<size_t>(std::min<std::uint64_t>(facts.pointCount, kReserveAtMost)));
  auto onHeader = [&](const laszip_header& h) {
    set.scale[0] = h.x_scale_factor, set.scale[1] = h.y_scale_factor, set.scale[2] = h.z_scale_factor;
    set.offset[0] = h.x_offset, set.offset[1] = h.y_offset, set.offset[2] = h.z_offset;
  };
  auto onPoint = [&](const laszip_point& p) { set.points.push_back(RecordOf(p, extended)); };
  return ReadEachPoint(file, facts, onHeader, onPoint, error);
}

// The variable length records fit before the point data, and the description of the
// compressed items is there exactly when the tile is compressed: one record of the LAZ
// kind, whose items are of known kinds and sizes and fill the point record. (The LAZ reader
// loses memory, or frees it twice, when it meets such a record that does not fit itself.)
bool HasUsableRecords(const ByteBuffer& tile, const LasHeaderFacts& facts, size_t headerSize) {
  auto records = ReadLittleEndian<std::uint32_t>(tile, kVlrCountAt);
  size_t at = headerSize;
  int found = 0;
  for (std::uint32_t i = 0; i < records; ++i) {
    if (facts.pointDataOffset - at < kVlrHeaderSize) return false;
    auto length = ReadLittleEndian<std::uint16_t>(tile, at + kVlrLengthAt);
    size_t content = at + kVlrHeaderSize;
    if (facts.pointDataOffset - content < length) return false;
    bool laz = std::memcmp(tile.data() + at + kVlrUserIdAt, kLaszipUserId, sizeof(kLaszipUserId)) == 0 &&
               ReadLittleEndian<std::uint16_t>(tile, at + kVlrRecordIdAt) == kLaszipRecordId;
    if (laz) {
      if (++found > 1 || length < kLaszipItemsAt) return false;
      if (ReadLittleEndian<std::uint16_t>(tile, content + kLaszipCompressorAt) > kLaszipLastCompressor ||
          ReadLittleEndian<std::uint16_t>(tile, content + kLaszipCoderAt) != 0)
        return false;
      auto items = ReadLittleEndian<std::uint16_t>(tile, content + kLaszipItemCountAt);
      if (length != kLaszipItemsAt + items * kLaszipItemSize) return false;
      size_t total = 0;
      for (std::uint16_t k = 0; k < items; ++k) {
        size_t item = content + kLaszipItemsAt + k * kLaszipItemSize;
        auto type = ReadLittleEndian<std::uint16_t>(tile, item);
        auto size = ReadLittleEndian<std::uint16_t>(tile, item + sizeof(std::uint16_t));
        auto version = ReadLittleEndian<std::uint16_t>(tile, item + 2 * sizeof(std::uint16_t));
        bool anySize = type == 0 || type == 14;
        if (type >= kItemSizes.size() || (!anySize && (kItemSizes[type] == 0 || kItemSizes[type] != size))) return false;
        if (version > 7 || (kItemVersions[type] & (1u << version)) == 0) return false;
        total += size;
      }
      if (total != facts.recordLength) return false;
    }
    at = content + length;
  }
  return found == (facts.compressed ? 1 : 0);
}

// The compressed data begins with the position of the chunk table, which ends the tile (a
// writer that could not seek leaves -1 there and puts the position in the last 8 bytes).
// The table starts with its version (0) and its number of chunks, each of which holds at
// least one point in at least one byte.
bool HoldsItsPointData(const ByteBuffer& tile, const LasHeaderFacts& facts) {
  std::uint64_t size = tile.size();
  std::uint64_t start = facts.pointDataOffset;
  if (!facts.compressed) return facts.pointCount <= (size - start) / facts.recordLength;
  if (size - start < sizeof(std::int64_t)) return false;
  auto table = ReadLittleEndian<std::int64_t>(tile, start);
  if (table == -1 && size >= start + 2 * sizeof(std::int64_t))
    table = ReadLittleEndian<std::int64_t>(tile, size - sizeof(std::int64_t));
  if (table < static_cast<std::int64_t>(start + sizeof(std::int64_t)) ||
      static_cast<std::uint64_t>(table) > size - kChunkTableHeaderSize)
    return false;
  auto at = static_cast<size_t>(table);
  auto version = ReadLittleEndian<std::uint32_t>(tile, at);
  auto chunks = ReadLittleEndian<std::uint32_t>(tile, at + sizeof(std::uint32_t));
  std::uint64_t dataBytes = static_cast<std::uint64_t>(table) - start - sizeof(std::int64_t);
  return version == 0 && chunks <= dataBytes && chunks <= std::max<std::uint64_t>(facts.pointCount, 1);
}

}  // namespace

std::uint16_t MinimumRecordLength(std::uint8_t pointFormat) {
  return pointFormat < kFormatRecordLengths.size() ? kFormatRecordLengths[pointFormat] : 0;
}

std::optional<LasHeaderFacts> ReadLasHeaderFacts(const ByteBuffer& tile) {
  if (tile.size() < kLegacyHeaderSize || std::memcmp(tile.data(), "LASF", 4) != 0) return std::nullopt;
  LasHeaderFacts facts;
  facts.versionMajor = tile[kVersionMajorAt];
  facts.versionMinor = tile[kVersionMinorAt];
  if (facts.versionMajor != kLasVersionMajor || facts.versionMinor > kLasLastVersionMinor) return std::nullopt;
  auto headerSize = ReadLittleEndian<std::uint16_t>(tile, kHeaderSizeAt);
  auto pointDataOffset = ReadLittleEndian<std::uint32_t>(tile, kPointDataOffsetAt);
  if (headerSize < kLegacyHeaderSize || headerSize > tile.size() || pointDataOffset < headerSize ||
      pointDataOffset > tile.size())
    return std::nullopt;
  facts.pointFormat = tile[kPointFormatAt] & static_cast<std::uint8_t>(~kCompressionBits);
  facts.recordLength = ReadLittleEndian<std::uint16_t>(tile, kRecordLengthAt);
  std::uint16_t needed = MinimumRecordLength(facts.pointFormat);
  if (needed == 0 || facts.recordLength < needed) return std::nullopt;
  bool las14 = facts.versionMajor >= 2 || facts.versionMinor >= 4;
  if (las14 && headerSize < kLas14HeaderSize) return std::nullopt;
  facts.pointCount = las14 ? ReadLittleEndian<std::uint64_t>(tile, kCount64At)
                           : ReadLittleEndian<std::uint32_t>(tile, kLegacyCountAt);
  facts.compressed = (tile[kPointFormatAt] & kCompressionBits) != 0;
  facts.pointDataOffset = pointDataOffset;
  if (!HasUsableRecords(tile, facts, headerSize)) return std::nullopt;
  if (!HoldsItsPointData(tile, facts)) return std::nullopt;
  return facts;
}

bool DecodeLasFile(const ByteBuffer& file, LasPointSet& points, std::string& error) {
  points = LasPointSet{};
  std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(file);
  if (!facts) {
    error = kLazDecodeFailed;
    return false;
  }
  points.pointFormat = facts->pointFormat;
  points.announcedCount = facts->pointCount;
  try {
    return DecodeRecords(file, *facts, points, error);
  } catch (...) {
    error = kLazDecodeFailed;
    return false;
  }
}

bool DecodeLazTile(const ByteBuffer& tile, const LazPointSink& sink, std::wstring& error) {
  std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(tile);
  if (!facts) {
    error = kErrLazDecode;
    return false;
  }
  std::string text;
  bool whole = false;
  try {
    whole = DecodePoints(tile, *facts, sink, text);
  } catch (...) {
    text = kLazDecodeFailed;
  }
  if (!whole) error = WideFromLatin1(text);
  return whole;
}
