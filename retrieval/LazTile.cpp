#include "retrieval/LazTile.h"

#include <laszip/laszip_api.h>

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
constexpr std::array<std::uint16_t, 11> kFormatRecordLengths = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};

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
  std::wstring errorText() const {
    laszip_CHAR* text = nullptr;
    if (reader_ == nullptr || laszip_get_error(reader_, &text) != 0 || text == nullptr || text[0] == '\0')
      return kErrLazDecode;
    std::wstring wide;
    for (const laszip_CHAR* c = text; *c != '\0'; ++c) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    return wide;
  }

 private:
  laszip_POINTER reader_ = nullptr;
  bool open_ = false;
};

bool DecodePoints(const ByteBuffer& tile, const LasHeaderFacts& facts, const LazPointSink& sink, std::wstring& error) {
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
  bool extended = facts.pointFormat >= kFirstExtendedFormat;
  const double sx = header->x_scale_factor, sy = header->y_scale_factor, sz = header->z_scale_factor;
  const double ox = header->x_offset, oy = header->y_offset, oz = header->z_offset;
  for (std::uint64_t i = 0; i < facts.pointCount; ++i) {
    if (laszip_read_point(reader.get()) != 0) {
      error = reader.errorText();
      return false;
    }
    std::uint8_t cls = extended ? point->extended_classification : point->classification;
    sink(point->X * sx + ox, point->Y * sy + oy, point->Z * sz + oz, cls, point->intensity);
  }
  return true;
}

// The compressed data begins with the position of the chunk table, which ends the tile (a
// writer that could not seek leaves -1 there and puts the position in the last 8 bytes).
bool HoldsItsPointData(const ByteBuffer& tile, const LasHeaderFacts& facts) {
  std::uint64_t size = tile.size();
  std::uint64_t start = facts.pointDataOffset;
  if (!facts.compressed) return facts.pointCount <= (size - start) / facts.recordLength;
  if (size - start < sizeof(std::int64_t)) return false;
  auto table = ReadLittleEndian<std::int64_t>(tile, start);
  if (table == -1 && size >= start + 2 * sizeof(std::int64_t))
    table = ReadLittleEndian<std::int64_t>(tile, size - sizeof(std::int64_t));
  return table >= static_cast<std::int64_t>(start + sizeof(std::int64_t)) &&
         static_cast<std::uint64_t>(table) <= size - kChunkTableHeaderSize;
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
  if (!HoldsItsPointData(tile, facts)) return std::nullopt;
  return facts;
}

bool DecodeLazTile(const ByteBuffer& tile, const LazPointSink& sink, std::wstring& error) {
  std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(tile);
  if (!facts) {
    error = kErrLazDecode;
    return false;
  }
  try {
    return DecodePoints(tile, *facts, sink, error);
  } catch (...) {
    error = kErrLazDecode;
    return false;
  }
}
