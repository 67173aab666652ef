// The ept.json scan over arbitrary text: bounds, when found, are finite with a cube of
// positive edge; the spatial reference test always answers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "retrieval/EptMetadata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (std::optional<EptBounds> b = ParseEptBounds(text)) {
    bool finite = std::isfinite(b->minX) && std::isfinite(b->minY) && std::isfinite(b->minZ) &&
                  std::isfinite(b->maxX) && std::isfinite(b->maxY) && std::isfinite(b->maxZ);
    if (!finite || !(b->maxX > b->minX) || text.find("\"bounds\"") == std::string_view::npos) std::abort();
  }
  (void)IsWebMercatorDataset(text);
  return 0;
}
