#include "lasio/LasDecode.h"

#include <algorithm>

#include "retrieval/FetchedCloud.h"
#include "retrieval/LazTile.h"

bool DecodeLasPoints(const ByteBuffer& bytes, EptFetchResult& points, std::wstring& error) {
  if (std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(bytes)) {
    size_t n = static_cast<size_t>(std::min<std::uint64_t>(facts->pointCount, kMaxCloudPoints));
    points.x.reserve(n), points.y.reserve(n), points.z.reserve(n), points.classes.reserve(n), points.intensities.reserve(n);
  }
  return DecodeLazTile(
      bytes,
      [&points](double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) {
        points.x.push_back(x), points.y.push_back(y), points.z.push_back(z);
        points.classes.push_back(cls), points.intensities.push_back(intensity);
      },
      error);
}
