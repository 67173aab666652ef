#include "cloudfile/KmqFileReader.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "cloudfile/ByteOrder.h"
#include "cloudfile/CloudReader.h"
#include "wcrt.h"

namespace {

constexpr wchar_t kCannotOpen[] = L"cannot open file";
constexpr wchar_t kTruncatedHeader[] = L"truncated header";
constexpr wchar_t kWebTile[] =
    L"this .kmt is a web tile without the plugin payload - re-export the square from the viewer";
constexpr wchar_t kBadMagic[] = L"bad magic (not KMQ1/KMQ2)";
constexpr wchar_t kVersionMismatch[] = L"header version/magic mismatch";
constexpr wchar_t kImplausible[] = L"implausible header values";
constexpr wchar_t kTruncatedChunks[] = L"truncated chunk table";
constexpr wchar_t kTruncatedGround[] = L"truncated ground grid";
constexpr wchar_t kTruncatedPoints[] = L"truncated point data";
constexpr wchar_t kNotContiguous[] = L"chunk table not contiguous";
constexpr wchar_t kCountMismatch[] = L"chunk table/point count mismatch";
constexpr wchar_t kOutOfMemory[] = L"not enough memory to load the cloud";

// Limits a header must respect before anything is allocated for it.
constexpr uint32_t kMaxPointCount = 50'000'000;
constexpr uint16_t kMaxChunksPerAxis = 256;
constexpr uint16_t kMaxGroundNodesPerAxis = 4096;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

// Sequential reads that know how many bytes the file still holds, so a section the file
// cannot contain is refused before its array is allocated.
class SectionReader {
 public:
  explicit SectionReader(FILE* file) : file_(file), position_(std::ftell(file)), remaining_(BytesAfterPosition(file)) {}

  bool Holds(uint64_t bytes) const { return bytes <= remaining_; }

  // One bulk read of `bytes` bytes; false when the file ends first.
  bool Read(void* into, uint64_t bytes) {
    if (!Holds(bytes) || !Reposition()) return false;
    size_t got = std::fread(into, 1, static_cast<size_t>(bytes), file_);
    position_ += got;
    remaining_ -= got;
    return got == bytes;
  }

  // Reads `bytes` bytes lying `offset` bytes ahead without consuming anything: the next
  // Read still starts where it would have.
  bool ReadAhead(uint64_t offset, void* into, uint64_t bytes) {
    if (offset > remaining_ || !Holds(offset + bytes)) return false;
    if (fseeko(file_, static_cast<off_t>(position_ + offset), SEEK_SET) != 0) return false;
    moved_ = true;
    return std::fread(into, 1, static_cast<size_t>(bytes), file_) == bytes;
  }

  void Skip(uint64_t bytes) {
    uint64_t step = std::min(bytes, remaining_);
    remaining_ -= step;
    position_ += step;
    moved_ = true;
  }

 private:
  bool Reposition() {
    if (!moved_) return true;
    moved_ = false;
    return fseeko(file_, static_cast<off_t>(position_), SEEK_SET) == 0;
  }

  // Bytes between the current position and the end of the file; when the size cannot be
  // told, short reads alone catch a truncated file.
  static uint64_t BytesAfterPosition(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::numeric_limits<uint64_t>::max();
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    if (end < here) return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(end - here);
  }

  FILE* file_;
  uint64_t position_;
  uint64_t remaining_;
  bool moved_ = false;
};

// Variant number selected by the magic, or 0 with *failure set.
int VariantOfMagic(const char* magic, const wchar_t** failure) {
  if (std::memcmp(magic, "KMQ2", 4) == 0) return 2;
  if (std::memcmp(magic, "KMQ1", 4) == 0) return 1;
  *failure = std::memcmp(magic, "KMT1", 4) == 0 ? kWebTile : kBadMagic;
  return 0;
}

void CopyHeader(const KmqHeader& h, KmqData& d) {
  d.originX = h.originX;
  d.originY = h.originY;
  d.originZ = h.originZ;
  d.sizeX = h.sizeX;
  d.sizeY = h.sizeY;
  d.sizeZ = h.sizeZ;
  d.pointCount = h.pointCount;
  d.chunksX = h.chunksX;
  d.chunksY = h.chunksY;
  d.groundNx = h.groundNx;
  d.groundNy = h.groundNy;
  d.groundCell = h.groundCell;
  d.groundOriginX = h.groundOriginX;
  d.groundOriginY = h.groundOriginY;
  d.groundZBase = h.groundZBase;
  d.groundZSpan = h.groundZSpan;
  d.epsg = h.epsg;
  std::memcpy(d.tileName, h.tileName, kKmqTileNameBytes);
  d.tileName[kKmqTileNameBytes] = '\0';
  d.centerX = h.centerX;
  d.centerY = h.centerY;
  d.halfSize = h.halfSize;
}

// Every coordinate, extent and grid value of the header is a finite number.
bool HasFiniteGeometry(const KmqData& d) {
  for (double value : {d.originX, d.originY, d.originZ, double{d.sizeX}, double{d.sizeY}, double{d.sizeZ},
                       double{d.groundCell}, d.groundOriginX, d.groundOriginY, double{d.groundZBase},
                       double{d.groundZSpan}, d.centerX, d.centerY, double{d.halfSize}})
    if (!std::isfinite(value)) return false;
  return true;
}

bool IsPlausible(const KmqData& d) {
  return HasFiniteGeometry(d) && d.pointCount >= 1 && d.pointCount <= kMaxPointCount &&  //
         d.chunksX >= 1 && d.chunksX <= kMaxChunksPerAxis &&      //
         d.chunksY >= 1 && d.chunksY <= kMaxChunksPerAxis &&      //
         d.groundNx <= kMaxGroundNodesPerAxis && d.groundNy <= kMaxGroundNodesPerAxis;
}

// Allocates `array` for `count` elements and fills it with one read, refusing first when
// the file cannot hold them.
template <class T>
bool ReadArray(SectionReader& in, size_t count, KmqArray<T>& array) {
  uint64_t bytes = uint64_t{count} * sizeof(T);
  if (!in.Holds(bytes)) return false;
  array = KmqArray<T>(count);
  return in.Read(array.data(), bytes);
}

bool ReadRecordPoints(SectionReader& in, KmqData& d) {
  if (!ReadArray(in, d.pointCount, d.points)) return false;
  d.intensity16 = KmqArray<uint16_t>(d.pointCount);
  for (size_t i = 0; i < d.pointCount; ++i) d.intensity16[i] = static_cast<uint16_t>(d.points[i].intensity * 257u);
  return true;
}

// Points interleaved per pass: the four coordinate and class planes of one block stay in
// the processor's cache while they are woven into records.
constexpr size_t kInterleaveBlockPoints = 32 * 1024;

// Reads the five planes and interleaves them into 8-byte records. The qx, qy, qz and class
// planes are taken block by block through one small buffer (no plane-sized scratch array,
// no second pass over cold memory); the intensity plane goes straight into its array in one
// read, and its high bytes then complete the records.
bool ReadPlanePoints(SectionReader& in, KmqData& d) {
  const size_t n = d.pointCount;
  if (!in.Holds(uint64_t{n} * kKmqPlanesBytesPerPoint)) return false;
  d.points = KmqArray<KmqPoint>(n);
  const size_t block = std::min(n, kInterleaveBlockPoints);
  auto scratch = std::make_unique_for_overwrite<uint8_t[]>(block * 7);
  uint8_t* qx = scratch.get();
  uint8_t* qy = qx + 2 * block;
  uint8_t* qz = qy + 2 * block;
  uint8_t* cls = qz + 2 * block;
  using pelvar::bytes::Load;
  for (size_t first = 0; first < n; first += block) {
    const size_t count = std::min(block, n - first);
    if (!in.ReadAhead(2 * first, qx, 2 * count) || !in.ReadAhead(2 * n + 2 * first, qy, 2 * count) ||
        !in.ReadAhead(4 * n + 2 * first, qz, 2 * count) || !in.ReadAhead(6 * n + first, cls, count))
      return false;
    KmqPoint* out = d.points.data() + first;
    for (size_t i = 0; i < count; ++i)
      out[i] = KmqPoint{Load<uint16_t>(qx + 2 * i), Load<uint16_t>(qy + 2 * i), Load<uint16_t>(qz + 2 * i), cls[i], 0};
  }
  in.Skip(uint64_t{7} * n);
  if (!ReadArray(in, n, d.intensity16)) return false;
  for (size_t i = 0; i < n; ++i) d.points[i].intensity = static_cast<uint8_t>(d.intensity16[i] >> 8);
  return true;
}

uint16_t MaxIntensity(const KmqArray<uint16_t>& intensity) {
  uint16_t most = 0;
  for (uint16_t value : intensity) most = std::max(most, value);
  return most == 0 ? uint16_t{1} : most;
}

// The chunks must cover the points in table order without gaps or overlaps.
const wchar_t* CheckChunkTable(const KmqData& d) {
  uint64_t total = 0;
  for (const KmqChunk& chunk : d.chunks) {
    if (chunk.first != total) return kNotContiguous;
    total += chunk.count;
  }
  return total == d.pointCount ? nullptr : kCountMismatch;
}

// Takes the header's values into `d` and checks them; the failure message or null, and
// the variant the magic names.
const wchar_t* TakeHeader(const KmqHeader& header, KmqData& d, int& variant) {
  const wchar_t* failure = nullptr;
  variant = VariantOfMagic(header.magic, &failure);
  if (variant == 0) return failure;
  if (header.version != variant) return kVersionMismatch;
  CopyHeader(header, d);
  return IsPlausible(d) ? nullptr : kImplausible;
}

// Reads everything after the open; returns the failure message or null.
const wchar_t* ReadImage(FILE* file, KmqData& d) {
  SectionReader in(file);
  uint8_t raw[kKmqHeaderBytes];
  if (!in.Read(raw, sizeof raw)) return kTruncatedHeader;
  const KmqHeader header = ParseKmqHeader(raw);
  int variant = 0;
  if (const wchar_t* failure = TakeHeader(header, d, variant)) return failure;
  if (header.headerSize > kKmqHeaderBytes) in.Skip(header.headerSize - kKmqHeaderBytes);
  if (!ReadArray(in, size_t{d.chunksX} * d.chunksY, d.chunks)) return kTruncatedChunks;
  if (!ReadArray(in, size_t{d.groundNx} * d.groundNy, d.ground)) return kTruncatedGround;
  const bool pointsRead = variant == 1 ? ReadRecordPoints(in, d) : ReadPlanePoints(in, d);
  if (!pointsRead) return kTruncatedPoints;
  return nullptr;
}

}  // namespace

namespace {

// Only a regular file is opened: a pipe or a device would block the read, or never end.
bool IsRegularFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

KmqDataPtr ReadOpenedImage(FILE* file, const wchar_t** failure) {
  auto image = std::make_shared<KmqData>();
  *failure = ReadImage(file, *image);
  if (*failure != nullptr) return nullptr;
  image->maxIntensity = MaxIntensity(image->intensity16);
  *failure = CheckChunkTable(*image);
  if (*failure != nullptr) return nullptr;
  return image;
}

}  // namespace

KmqDataPtr ReadCloudImage(const std::wstring& path, const wchar_t** failure) {
  FILE* raw = nullptr;
  if (!IsRegularFile(path) || _wfopen_s(&raw, path.c_str(), L"rb") != 0 || raw == nullptr) {
    *failure = kCannotOpen;
    return nullptr;
  }
  FileHandle file(raw);
  // A cloud too large for the memory left is a failed load like any other.
  try {
    return ReadOpenedImage(file.get(), failure);
  } catch (const std::bad_alloc&) {
    *failure = kOutOfMemory;
    return nullptr;
  }
}

const wchar_t* CloudHeaderFailure(std::span<const uint8_t> image) {
  if (image.size() < kKmqHeaderBytes) return kTruncatedHeader;
  KmqData taken;
  int variant = 0;
  return TakeHeader(ParseKmqHeader(image.data()), taken, variant);
}
