#include "entity/BucketSort.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <thread>

#include "cloudfile/RunParts.h"

namespace {

constexpr uint8_t kHidden = 0xFF;
constexpr unsigned kCodeCount = 65536;  // 16-bit codes
constexpr unsigned kMaxWorkers = 8;
// A run of fewer considered points than this is not worth a thread of its own.
constexpr size_t kPointsWorthAThread = size_t{1} << 18;
// Storage kept whatever the last sort needed, and how much more than it needed may stay.
constexpr size_t kAlwaysKeptPoints = size_t{1} << 20;
constexpr size_t kKeptOverUse = 4;
constexpr unsigned kSmallSortsBeforeTrim = 8;

// One pass's rule and colouring as tables over the point fields, built with the same
// functions a point-by-point pass would call, so that the result is the same.
struct PassTables {
  enum class Key { ClassShade, Intensity, Elevation } key = Key::ClassShade;
  // By effective class: kHidden when the mask hides it, else the bucket of its palette row
  // at the lowest shade (class colouring) or 0.
  std::array<uint8_t, 256> classBase{};
  // By 16-bit intensity up to the cloud's maximum (the largest a point holds): the shade
  // added to the class base, or the intensity bucket. By quantised elevation: its bucket.
  std::vector<uint8_t> bucketOfKey;
  // By quantised elevation, whether the elevation window shows it; empty without a window.
  std::vector<uint8_t> zShown;

  uint8_t BucketOf(const KmqData& data, const uint8_t* overrides, uint32_t i) const {
    const KmqPoint& p = data.points[i];
    const uint8_t base = classBase[EffectiveClass(p.cls, overrides, i)];
    if (base == kHidden || (!zShown.empty() && zShown[p.qz] == 0)) return kHidden;
    switch (key) {
      case Key::ClassShade: return static_cast<uint8_t>(base + bucketOfKey[data.intensity16[i]]);
      case Key::Intensity: return bucketOfKey[data.intensity16[i]];
      default: return bucketOfKey[p.qz];
    }
  }
};

// Class colouring is a class's row plus an intensity shade: the tables hold the row's
// bucket by class and the shade by intensity.
PassTables TablesFor(const KmqData& data, const DisplaySettings& settings) {
  PassTables tables;
  const uint8_t mode = settings.colorMode;
  const uint16_t maxIntensity = data.maxIntensity;
  tables.key = mode == 1 ? PassTables::Key::Intensity : mode == 2 ? PassTables::Key::Elevation : PassTables::Key::ClassShade;
  const bool byClass = tables.key == PassTables::Key::ClassShade;
  for (unsigned cls = 0; cls < 256; ++cls) {
    const int base = byClass ? PointBucket(mode, cls, 0, maxIntensity, 0) : 0;
    tables.classBase[cls] = IsClassShown(settings.rule.classMask, cls) ? static_cast<uint8_t>(base) : kHidden;
  }
  if (tables.key == PassTables::Key::Elevation) {
    tables.bucketOfKey.resize(kCodeCount);
    for (unsigned qz = 0; qz < kCodeCount; ++qz)
      tables.bucketOfKey[qz] = static_cast<uint8_t>(PointBucket(mode, 0, 0, maxIntensity, static_cast<uint16_t>(qz)));
  } else {
    const int base = byClass ? PointBucket(mode, 0, 0, maxIntensity, 0) : 0;
    tables.bucketOfKey.resize(size_t{maxIntensity} + 1);
    for (unsigned i = 0; i <= maxIntensity; ++i)
      tables.bucketOfKey[i] =
          static_cast<uint8_t>(PointBucket(mode, 0, static_cast<uint16_t>(i), maxIntensity, 0) - base);
  }
  if (settings.rule.elevFilterOn) {
    tables.zShown.resize(kCodeCount);
    for (unsigned qz = 0; qz < kCodeCount; ++qz)
      tables.zShown[qz] =
          IsInElevationWindow(settings.rule, DecodeCode(static_cast<uint16_t>(qz), data.sizeZ, data.originZ));
  }
  return tables;
}

size_t Considered(const KmqChunk& chunk, double budget) { return chunk.count == 0 ? 0 : ChunkTake(chunk.count, budget); }

// A run of consecutive chunks and where its considered points start among all of them.
struct Run {
  size_t firstChunk = 0, endChunk = 0;
  size_t firstConsidered = 0;
  std::array<size_t, kColourBucketCount> counts{};  // drawn points of the run by bucket
};

size_t ConsideredInAll(const KmqData& data, double budget) {
  size_t considered = 0;
  for (const KmqChunk& chunk : data.chunks) considered += Considered(chunk, budget);
  return considered;
}

// Cuts the chunks into at most `parts` runs of about equal considered points.
std::vector<Run> CutIntoRuns(const KmqData& data, double budget, size_t parts, size_t considered) {
  std::vector<Run> runs(1);
  size_t sum = 0;
  for (size_t c = 0; c < data.chunks.size(); ++c) {
    sum += Considered(data.chunks[c], budget);
    runs.back().endChunk = c + 1;
    if (runs.size() < parts && c + 1 < data.chunks.size() && sum * parts >= considered * runs.size()) {
      runs.push_back(Run{c + 1, c + 1, sum, {}});
    }
  }
  return runs;
}

size_t PartsFor(size_t considered, unsigned workers) {
  if (workers != 0) return workers;
  const size_t cores = std::min(std::max(1u, std::thread::hardware_concurrency()), kMaxWorkers);
  return std::max<size_t>(1, std::min(cores, considered / kPointsWorthAThread));
}

// First sweep over a run: each considered point's bucket (or kHidden), and the counts.
void NoteBuckets(const KmqData& data, const DisplaySettings& settings, const PassTables& tables, double budget,
                 Run& run, uint8_t* notes) {
  for (size_t c = run.firstChunk; c < run.endChunk; ++c) {
    const KmqChunk& chunk = data.chunks[c];
    const uint32_t end = chunk.first + static_cast<uint32_t>(Considered(chunk, budget));
    for (uint32_t i = chunk.first; i < end; ++i) {
      const uint8_t bucket = tables.BucketOf(data, settings.overrides, i);
      *notes++ = bucket;
      if (bucket != kHidden) ++run.counts[bucket];
    }
  }
}

// Second sweep: every drawn point of the run decoded into its place; next[b] is where the
// run's next point of bucket b goes.
void PlacePoints(const KmqData& data, double budget, const Run& run, const uint8_t* notes,
                 std::array<size_t, kColourBucketCount> next, AcGePoint3d* points) {
  for (size_t c = run.firstChunk; c < run.endChunk; ++c) {
    const KmqChunk& chunk = data.chunks[c];
    const uint32_t end = chunk.first + static_cast<uint32_t>(Considered(chunk, budget));
    for (uint32_t i = chunk.first; i < end; ++i) {
      const uint8_t bucket = *notes++;
      if (bucket != kHidden) new (&points[next[bucket]++]) AcGePoint3d(DecodePoint(data, data.points[i]));
    }
  }
}

bool FarMoreThanUsed(size_t capacity, size_t used) {
  return capacity > kAlwaysKeptPoints && capacity > kKeptOverUse * used;
}

}  // namespace

AcGePoint3d* BucketedPoints::Room::Reserve(size_t points) {
  if (points > m_capacity) {
    const size_t capacity = std::max(points, m_capacity + m_capacity / 2);
    Release();
    m_points.reset(static_cast<AcGePoint3d*>(::operator new(capacity * sizeof(AcGePoint3d))));
    m_capacity = capacity;
  }
  return m_points.get();
}

void BucketedPoints::Room::Release() {
  m_points.reset();
  m_capacity = 0;
}

void BucketedPoints::TrimAfterUse() {
  const bool small = FarMoreThanUsed(points.capacity(), total()) ||
                     FarMoreThanUsed(bucketOfConsidered.capacity(), bucketOfConsidered.size());
  smallSortsInARow = small ? smallSortsInARow + 1 : 0;
  if (smallSortsInARow < kSmallSortsBeforeTrim) return;
  points.Release();
  placedFrom.reset();
  std::vector<uint8_t>().swap(bucketOfConsidered);
  smallSortsInARow = 0;
}

namespace {

// The override classes of the points the pass considers (each chunk's leading points),
// hashed chunk by chunk: a pass at full extent reads few of them.
size_t HashOfConsideredOverrides(const KmqData& data, const uint8_t* overrides, double budget) {
  size_t hash = 0;
  for (const KmqChunk& chunk : data.chunks) {
    const std::string_view bytes(reinterpret_cast<const char*>(overrides) + chunk.first, Considered(chunk, budget));
    hash = hash * 1099511628211u ^ std::hash<std::string_view>{}(bytes);
  }
  return hash;
}

BucketedPoints::PassKey KeyOf(const KmqData& data, const DisplaySettings& settings, double budget) {
  BucketedPoints::PassKey key{settings.rule, settings.colorMode, budget, settings.overrides != nullptr, 0};
  if (key.overridden) key.overridesHash = HashOfConsideredOverrides(data, settings.overrides, budget);
  return key;
}

// Whether the points placed under `placed` are those of a pass under `key`.
bool SamePass(const KmqData& data, const BucketedPoints::PassKey& placed, const BucketedPoints::PassKey& key) {
  if (!(placed.rule == key.rule) || placed.colorMode != key.colorMode || placed.overridden != key.overridden ||
      placed.overridesHash != key.overridesHash)
    return false;
  if (placed.budget == key.budget) return true;
  for (const KmqChunk& chunk : data.chunks)
    if (Considered(chunk, placed.budget) != Considered(chunk, key.budget)) return false;
  return true;
}

}  // namespace

void SortIntoBuckets(const KmqDataPtr& dataPtr, const DisplaySettings& settings, double budget, BucketedPoints& out,
                     unsigned workers) {
  const KmqData& data = *dataPtr;
  const BucketedPoints::PassKey key = KeyOf(data, settings, budget);
  if (out.placedFrom.lock() == dataPtr && SamePass(data, out.placedKey, key)) return;
  out.placedFrom.reset();  // until the points below are all placed

  const PassTables tables = TablesFor(data, settings);
  const size_t considered = ConsideredInAll(data, budget);
  std::vector<Run> runs = CutIntoRuns(data, budget, PartsFor(considered, workers), considered);

  out.bucketOfConsidered.resize(considered);
  uint8_t* notes = out.bucketOfConsidered.data();
  pelvar::RunParts(runs.size(), [&](size_t k) {
    NoteBuckets(data, settings, tables, budget, runs[k], notes + runs[k].firstConsidered);
  });

  // Bucket b starts after every lower bucket; within it each run follows the runs before.
  std::vector<std::array<size_t, kColourBucketCount>> next(runs.size());
  size_t at = 0;
  for (int b = 0; b < kColourBucketCount; ++b) {
    out.start[b] = at;
    for (size_t k = 0; k < runs.size(); ++k) {
      next[k][b] = at;
      at += runs[k].counts[b];
    }
  }
  out.start[kColourBucketCount] = at;
  AcGePoint3d* points = out.points.Reserve(at);
  pelvar::RunParts(runs.size(), [&](size_t k) {
    PlacePoints(data, budget, runs[k], notes + runs[k].firstConsidered, next[k], points);
  });
  out.placedFrom = dataPtr;
  out.placedKey = key;
}
