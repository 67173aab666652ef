#include "cloudfile/KmqFileReader.h"

#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "cloudfile/ByteOrder.h"
#include "cloudfile/CloudReader.h"
#include "cloudfile/PlaneWeave.h"
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

// Largest single request handed to the system: one read call moves at most about 2 GB.
constexpr uint64_t kMaxReadRequest = uint64_t{1} << 30;

// Reads exactly `bytes` bytes at `offset` of the file, each straight into place; false when
// the file ends first or the system refuses.
bool ReadExactlyAt(int descriptor, uint64_t offset, void* into, uint64_t bytes) {
  auto* at = static_cast<uint8_t*>(into);
  while (bytes > 0) {
    const ssize_t got = pread(descriptor, at, static_cast<size_t>(std::min(bytes, kMaxReadRequest)),
                              static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    offset += static_cast<uint64_t>(got);
    bytes -= static_cast<uint64_t>(got);
  }
  return true;
}

// Reads through the file section by section, knowing how many bytes the file still holds,
// so a section the file cannot contain is refused before its array is allocated. Every read
// names its own offset: nothing is buffered, and data goes from the file into its array.
class SectionReader {
 public:
  explicit SectionReader(FILE* file) : descriptor_(fileno(file)), remaining_(FileSize(descriptor_)) {}

  bool Holds(uint64_t bytes) const { return bytes <= remaining_; }

  // One bulk read of `bytes` bytes at the current position, which then moves past them;
  // false when the file ends first.
  bool Read(void* into, uint64_t bytes) {
    if (!ReadAhead(0, into, bytes)) return false;
    Skip(bytes);
    return true;
  }

  // Reads `bytes` bytes lying `offset` bytes ahead without consuming anything: the next
  // Read still starts where it would have.
  bool ReadAhead(uint64_t offset, void* into, uint64_t bytes) const {
    if (offset > remaining_ || !Holds(offset + bytes)) return false;
    return ReadExactlyAt(descriptor_, position_ + offset, into, bytes);
  }

  void Skip(uint64_t bytes) {
    uint64_t step = std::min(bytes, remaining_);
    remaining_ -= step;
    position_ += step;
  }

 private:
  // When the size cannot be told, short reads alone catch a truncated file.
  static uint64_t FileSize(int descriptor) {
    struct stat status;
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || status.st_size < 0)
      return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(status.st_size);
  }

  int descriptor_;
  uint64_t position_ = 0;
  uint64_t remaining_;
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

// Points handled per pass: the slices of one block stay in the processor's cache between
// their read and their use, so the data goes over memory once.
constexpr size_t kPointBlock = 32 * 1024;

// The largest intensity met while the points were read, or 1 when that is 0.
uint16_t MaxIntensityOrOne(uint16_t most) { return most == 0 ? uint16_t{1} : most; }

// Reads the records block by block straight into `points`, completing each block's 16-bit
// intensities (and the largest of them) while it is in cache.
bool ReadRecordPoints(SectionReader& in, KmqData& d) {
  const size_t n = d.pointCount;
  if (!in.Holds(uint64_t{n} * sizeof(KmqPoint))) return false;
  d.points = KmqArray<KmqPoint>(n);
  d.intensity16 = KmqArray<uint16_t>(n);
  uint16_t most = 0;
  for (size_t first = 0; first < n; first += kPointBlock) {
    const size_t count = std::min(kPointBlock, n - first);
    KmqPoint* records = d.points.data() + first;
    if (!in.ReadAhead(sizeof(KmqPoint) * first, records, sizeof(KmqPoint) * count)) return false;
    uint16_t* intensity = d.intensity16.data() + first;
    for (size_t i = 0; i < count; ++i) {
      intensity[i] = static_cast<uint16_t>(records[i].intensity * 257u);
      most = std::max(most, intensity[i]);
    }
  }
  in.Skip(uint64_t{n} * sizeof(KmqPoint));
  d.maxIntensity = MaxIntensityOrOne(most);
  return true;
}

// Reads the five planes block by block and weaves them into 8-byte records. A block's qx,
// qy, qz and class slices go into one small buffer, its intensity slice straight into
// `intensity16`; the records, their intensity high bytes and the largest intensity are then
// made from cache in one pass.
bool ReadPlanePoints(SectionReader& in, KmqData& d) {
  const size_t n = d.pointCount;
  if (!in.Holds(uint64_t{n} * kKmqPlanesBytesPerPoint)) return false;
  d.points = KmqArray<KmqPoint>(n);
  d.intensity16 = KmqArray<uint16_t>(n);
  const size_t block = std::min(n, kPointBlock);
  auto scratch = std::make_unique_for_overwrite<uint16_t[]>(3 * block + (block + 1) / 2);
  uint16_t* qx = scratch.get();
  uint16_t* qy = qx + block;
  uint16_t* qz = qy + block;
  auto* cls = reinterpret_cast<uint8_t*>(qz + block);
  uint16_t most = 0;
  for (size_t first = 0; first < n; first += block) {
    const size_t count = std::min(block, n - first);
    uint16_t* intensity = d.intensity16.data() + first;
    if (!in.ReadAhead(2 * first, qx, 2 * count) || !in.ReadAhead(2 * n + 2 * first, qy, 2 * count) ||
        !in.ReadAhead(4 * n + 2 * first, qz, 2 * count) || !in.ReadAhead(6 * n + first, cls, count) ||
        !in.ReadAhead(7 * n + 2 * first, intensity, 2 * count))
      return false;
    WeaveRecords({qx, qy, qz, cls, intensity}, count, d.points.data() + first, most);
  }
  in.Skip(uint64_t{n} * kKmqPlanesBytesPerPoint);
  d.maxIntensity = MaxIntensityOrOne(most);
  return true;
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
