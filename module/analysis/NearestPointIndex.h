// A finer grid inside each chunk of a cloud image, so that the nearest-point search tests
// only the points near the position instead of every point of nine chunks. A chunk's grid
// is built the first time a search reaches that chunk and kept while the image lives.
// The result is the same as the plain search over the 3 x 3 chunk cells (same point, same
// tie-break: chunk order, then file order). Used on the host's command thread only.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "cloudfile/KmqData.h"
#include "entity/Visibility.h"

class NearestPointIndex {
 public:
  explicit NearestPointIndex(const KmqData& data);
  ~NearestPointIndex();
  NearestPointIndex(const NearestPointIndex&) = delete;
  NearestPointIndex& operator=(const NearestPointIndex&) = delete;

  // As FindNearestVisible (entity/DisplayPass.h): the visible point strictly closer than
  // sqrt(bestD2) to cloud (x, y) among the chunk cell of (x, y) and its eight neighbours.
  bool FindNearestVisible(const VisibilityRule& rule, const uint8_t* overrides, double x, double y, double& bestD2,
                          uint32_t& index);

 private:
  struct ChunkGrid;
  struct Query {
    const VisibilityRule& rule;
    const uint8_t* overrides;
    double x, y;
  };
  struct Best {
    double d2;
    size_t chunk;
    uint32_t index;
    bool found;
  };
  const ChunkGrid& GridOf(size_t chunk);
  // Considers every point of the 3 x 3 chunks within `reach` of the position on each axis.
  void SearchWithin(double reach, const Query& query, Best& best);
  void Consider(size_t chunk, uint32_t i, const Query& query, Best& best) const;

  const KmqData& data_;
  std::vector<std::unique_ptr<ChunkGrid>> grids_;
};

// The index of an image, shared by every search over it for as long as the image lives.
std::shared_ptr<NearestPointIndex> NearestPointIndexOf(const KmqDataPtr& data);
