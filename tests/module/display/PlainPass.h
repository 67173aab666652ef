// The display pass written point by point, as plainly as it reads: for each chunk its
// first ChunkTake points; each one the rule shows, decoded, into the bucket of its colour;
// then one polypoint per bucket that holds points, in bucket order. The entity's pass is
// held to it in tests, and the benchmark measures the two side by side.
#pragma once
#include <array>
#include <vector>

#include "acgi.h"
#include "entity/ColourTables.h"
#include "entity/DisplayPass.h"

namespace plainpass {

using Buckets = std::array<std::vector<AcGePoint3d>, kColourBucketCount>;

inline void Collect(const KmqData& data, const DisplaySettings& settings, double budget, Buckets& buckets) {
  for (auto& bucket : buckets) bucket.clear();
  for (const KmqChunk& chunk : data.chunks) {
    if (chunk.count == 0) continue;
    const uint32_t end = chunk.first + ChunkTake(chunk.count, budget);
    for (uint32_t i = chunk.first; i < end; ++i) {
      const KmqPoint& p = data.points[i];
      const unsigned cls = EffectiveClass(p.cls, settings.overrides, i);
      const double z = DecodeZ(data, p);
      if (!IsPointVisible(settings.rule, cls, z)) continue;
      const int bucket = PointBucket(settings.colorMode, cls, data.intensity16[i], data.maxIntensity, p.qz);
      buckets[bucket].emplace_back(DecodeX(data, p), DecodeY(data, p), z);
    }
  }
}

inline void Draw(AcGiViewportDraw& draw, const Buckets& buckets) {
  for (int b = 0; b < kColourBucketCount; ++b) {
    if (buckets[b].empty()) continue;
    const PaletteColour colour = BucketColour(b);
    AcCmEntityColor trueColour;
    trueColour.setRGB(colour.red, colour.green, colour.blue);
    draw.subEntityTraits().setTrueColor(trueColour);
    draw.geometry().polypoint(static_cast<Adesk::UInt32>(buckets[b].size()), buckets[b].data());
  }
}

}  // namespace plainpass
