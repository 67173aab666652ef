// Sorting the points a display pass draws into the colour buckets. For each chunk the
// first ChunkTake points are considered; each one the rule shows is decoded and goes to
// the bucket of its colour. Large passes are shared between threads by runs of chunks: a
// first sweep notes each point's bucket and counts them, so that a second can decode every
// point straight into its place in one array.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "entity/DisplayPass.h"

// The points of one pass in cloud coordinates, grouped by colour bucket in draw order:
// bucket 0's points, then bucket 1's, and so on; within a bucket chunk by chunk, file
// order within a chunk. Sorting again reuses the storage, and keeps the placed points
// themselves when the new pass is the last one again (a redraw, a pan).
struct BucketedPoints {
  // Room for the points of a pass. Growing, it lets go of what it held first (every sort
  // writes all of it) and asks for room only, without setting the points up beforehand.
  class Room {
   public:
    AcGePoint3d* Reserve(size_t points);
    void Release();
    AcGePoint3d* data() const { return m_points.get(); }
    size_t capacity() const { return m_capacity; }

   private:
    struct Free {
      void operator()(AcGePoint3d* points) const { ::operator delete(points); }
    };
    std::unique_ptr<AcGePoint3d, Free> m_points;
    size_t m_capacity = 0;
  };

  Room points;
  std::array<size_t, kColourBucketCount + 1> start{};  // bucket b is points[start[b], start[b + 1])
  std::vector<uint8_t> bucketOfConsidered;  // the sort's notes, kept for reuse

  // Everything the placed points follow from besides the cloud itself: the budget only
  // through how many points of each chunk it takes (zooming on where every point is drawn
  // takes the same), and the override classes of the points it considers by a hash of
  // their bytes, as they may be changed in place.
  struct PassKey {
    VisibilityRule rule;
    uint8_t colorMode = 0;
    double budget = 0;
    bool overridden = false;
    size_t overridesHash = 0;
  };
  std::weak_ptr<const KmqData> placedFrom;  // expired when nothing is placed
  PassKey placedKey;

  size_t count(int bucket) const { return start[bucket + 1] - start[bucket]; }
  const AcGePoint3d* of(int bucket) const { return points.data() + start[bucket]; }
  size_t total() const { return start[kColourBucketCount]; }

  // Gives the storage back once it has been far more than each of several sorts in a row
  // needed: a small cloud drawn between passes over a large one does not make the large
  // one ask for its room again.
  void TrimAfterUse();
  unsigned smallSortsInARow = 0;
};

// Sorts the pass into out. The chunks are cut into `workers` runs sorted side by side on
// threads, or with 0 into one run per core for a pass large enough to gain from it. The
// result does not depend on the cut.
void SortIntoBuckets(const KmqDataPtr& data, const DisplaySettings& settings, double budget, BucketedPoints& out,
                     unsigned workers = 0);
