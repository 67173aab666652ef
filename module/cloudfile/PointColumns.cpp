// The points go over memory in passes that stay in order or in cache: the bounds, each
// point's chunk, then the points quantised and packed into chunk order (input order within
// a chunk), and last each chunk shuffled in cache and spread into the columns. The
// generator's state at the start of every chunk follows from the chunk lengths alone, so the
// chunks can be shuffled by several parts at once and give the bytes one part would.
#include "cloudfile/PointColumns.h"

#include <cmath>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "cloudfile/RunParts.h"
#include "cloudfile/ByteOrder.h"
#include "cloudfile/KmqFormat.h"

namespace {

constexpr uint32_t kShuffleSeed = 0x2545F49;  // 39083849
constexpr uint32_t kShuffleMultiplier = 1664525u;
constexpr uint32_t kShuffleIncrement = 1013904223u;
constexpr unsigned kMaxParts = 8;
// Fewer points than this per part are not worth a thread of their own.
constexpr size_t kPointsWorthAThread = size_t{1} << 18;

// Items [first, end) of part k when n items are cut into `parts` parts.
struct Slice {
  size_t first, end;
};

Slice SliceOf(size_t n, size_t parts, size_t k) { return {n * k / parts, n * (k + 1) / parts}; }

// On ties the earlier value stays, as in one scan from the start.
Range RangeOf(std::span<const double> values, Slice s) {
  Range r;
  for (size_t i = s.first; i < s.end; ++i) {
    r.min = std::min(r.min, values[i]);
    r.max = std::max(r.max, values[i]);
  }
  return r;
}

void Widen(Range& r, const Range& later) {
  r.min = std::min(r.min, later.min);
  r.max = std::max(r.max, later.max);
}

// Column (or row) of a chunk for a position's fraction of the extent times 16.
int ChunkAxisIndex(double scaled) {
  if (!(scaled >= 0)) return 0;
  return scaled >= kChunksPerAxis - 1 ? kChunksPerAxis - 1 : static_cast<int>(scaled);
}

// An axis's minimum and extent, as the chunking and the quantisation use them.
struct Axis {
  double min, extent;
  explicit Axis(const Range& r) : min(r.min), extent(r.Extent()) {}

  int ChunkIndex(double value) const { return ChunkAxisIndex(kChunksPerAxis * (value - min) / extent); }

  // 16-bit code: round half away from zero, clamped to 0..65535. Within the range the
  // fraction above the integer part is exact, so comparing it with one half rounds as
  // std::round does.
  uint64_t Code(double value) const {
    const double scaled = kKmqCodeMax * (value - min) / extent;
    if (!(scaled > 0)) return 0;
    if (scaled >= kKmqCodeMax) return 0xFFFF;
    const auto whole = static_cast<uint32_t>(scaled);
    return whole + (scaled - whole >= 0.5 ? 1u : 0u);
  }
};

struct Axes {
  Axis x, y, z;
  explicit Axes(const Bounds& b) : x(b.x), y(b.y), z(b.z) {}
};

// Each point's chunk, and how many points of the slice each chunk has.
ChunkCounts NoteChunks(const PointInputs& p, const Axes& axes, Slice s, uint8_t* chunkOf) {
  ChunkCounts counts{};
  for (size_t i = s.first; i < s.end; ++i) {
    const int chunk = axes.y.ChunkIndex(p.y[i]) * kChunksPerAxis + axes.x.ChunkIndex(p.x[i]);
    chunkOf[i] = static_cast<uint8_t>(chunk);
    ++counts[chunk];
  }
  return counts;
}

// The slice's points quantised and packed (qx | qy << 16 | qz << 32 | intensity << 48) into
// their chunk's places from `next` on, classes beside them.
void PackInChunkOrder(const PointInputs& p, const Axes& axes, Slice s, const uint8_t* chunkOf, ChunkCounts next,
                      uint64_t* packed, uint8_t* classes) {
  for (size_t i = s.first; i < s.end; ++i) {
    const uint32_t slot = next[chunkOf[i]]++;
    packed[slot] = axes.x.Code(p.x[i]) | axes.y.Code(p.y[i]) << 16 | axes.z.Code(p.z[i]) << 32 |
                   uint64_t{p.intensity[i]} << 48;
    classes[slot] = p.cls[i];
  }
}

// The file's shuffle generator: a 32-bit linear congruential generator.
class ShuffleGenerator {
 public:
  // Steps the state and returns floor(u * k) with u = state / 2^32.
  uint32_t Below(uint32_t k) {
    state_ = state_ * kShuffleMultiplier + kShuffleIncrement;
    double u = state_ * (1.0 / 4294967296.0);
    return static_cast<uint32_t>(std::floor(u * k));
  }

  // Takes the state `steps` steps on at once, composing the step with itself by squaring.
  void Advance(uint64_t steps) {
    uint32_t multiplier = kShuffleMultiplier, increment = kShuffleIncrement;
    for (; steps != 0; steps >>= 1) {
      if (steps & 1) state_ = state_ * multiplier + increment;
      increment = increment * multiplier + increment;
      multiplier *= multiplier;
    }
  }

 private:
  uint32_t state_ = kShuffleSeed;
};

// Generator steps the shuffle of a chunk of `count` points takes.
uint64_t ShuffleSteps(uint32_t count) { return count < 2 ? 0 : count - 1; }

// Shuffles a chunk's packed points and classes alike, so that any leading part of the
// chunk samples it evenly.
void ShuffleChunk(ShuffleGenerator& generator, uint64_t* packed, uint8_t* classes, uint32_t count) {
  for (uint32_t k = count; k >= 2; --k) {
    const uint32_t j = generator.Below(k);
    std::swap(packed[k - 1], packed[j]);
    std::swap(classes[k - 1], classes[j]);
  }
}

// The five columns of one image.
struct Columns {
  uint8_t *qx, *qy, *qz, *classes, *intensities;
  Columns(uint8_t* at, size_t n)
      : qx(at), qy(at + 2 * n), qz(at + 4 * n), classes(at + 6 * n), intensities(at + 7 * n) {}
};

// Spreads the packed points of slots [first, first + count) into the code and intensity columns.
void Unpack(const uint64_t* packed, size_t first, size_t count, const Columns& out) {
  using pelvar::bytes::Store;
  for (size_t k = first; k < first + count; ++k) {
    const uint64_t word = packed[k];
    Store(out.qx + 2 * k, static_cast<uint16_t>(word));
    Store(out.qy + 2 * k, static_cast<uint16_t>(word >> 16));
    Store(out.qz + 2 * k, static_cast<uint16_t>(word >> 32));
    Store(out.intensities + 2 * k, static_cast<uint16_t>(word >> 48));
  }
}

// Shuffles and writes out the chunks that start inside the slice (the chunks are the
// slice's), the generator taken on first over every point slot before them.
void ShuffleAndUnpack(const ChunkCounts& counts, const ChunkCounts& starts, Slice s, uint64_t* packed,
                      const Columns& out) {
  ShuffleGenerator generator;
  uint64_t stepsBefore = 0;
  int chunk = 0;
  for (; chunk < kChunkCount && !(counts[chunk] != 0 && starts[chunk] >= s.first); ++chunk)
    stepsBefore += ShuffleSteps(counts[chunk]);
  generator.Advance(stepsBefore);
  for (; chunk < kChunkCount && starts[chunk] < s.end; ++chunk) {
    ShuffleChunk(generator, packed + starts[chunk], out.classes + starts[chunk], counts[chunk]);
    Unpack(packed, starts[chunk], counts[chunk], out);
  }
}

}  // namespace

size_t WriterPartsFor(size_t n, unsigned parts) {
  if (parts != 0) return parts;
  const size_t cores = std::min(std::max(1u, std::thread::hardware_concurrency()), kMaxParts);
  return std::max<size_t>(1, std::min(cores, n / kPointsWorthAThread));
}

Bounds BoundsOf(const PointInputs& p, size_t parts) {
  std::vector<Bounds> partial(parts);
  pelvar::RunParts(parts, [&](size_t k) {
    const Slice s = SliceOf(p.x.size(), parts, k);
    partial[k] = {RangeOf(p.x, s), RangeOf(p.y, s), RangeOf(p.z, s)};
  });
  Bounds b;
  for (const Bounds& part : partial) {
    Widen(b.x, part.x);
    Widen(b.y, part.y);
    Widen(b.z, part.z);
  }
  return b;
}

ChunkCounts WritePointColumns(const PointInputs& p, const Bounds& bounds, size_t parts, uint8_t* at) {
  const size_t n = p.x.size();
  const Axes axes(bounds);
  const Columns out(at, n);
  auto chunkOf = std::make_unique_for_overwrite<uint8_t[]>(n);
  auto packed = std::make_unique_for_overwrite<uint64_t[]>(n);

  std::vector<ChunkCounts> partCounts(parts);
  pelvar::RunParts(parts, [&](size_t k) { partCounts[k] = NoteChunks(p, axes, SliceOf(n, parts, k), chunkOf.get()); });

  // Chunk c starts after every lower chunk; within it each part's points follow the parts before.
  ChunkCounts counts{}, starts{};
  std::vector<ChunkCounts> next(parts);
  uint32_t placed = 0;
  for (int c = 0; c < kChunkCount; ++c) {
    starts[c] = placed;
    for (size_t k = 0; k < parts; ++k) {
      next[k][c] = placed;
      placed += partCounts[k][c];
    }
    counts[c] = placed - starts[c];
  }
  pelvar::RunParts(parts, [&](size_t k) {
    PackInChunkOrder(p, axes, SliceOf(n, parts, k), chunkOf.get(), next[k], packed.get(), out.classes);
  });
  chunkOf.reset();
  pelvar::RunParts(parts, [&](size_t k) { ShuffleAndUnpack(counts, starts, SliceOf(n, parts, k), packed.get(), out); });
  return counts;
}
