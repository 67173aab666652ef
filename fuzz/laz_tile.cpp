// The tile decoder over arbitrary bytes: it either decodes every point the header
// announces or refuses the tile with a text, and never reads outside the bytes it is given
// (the input is copied into a buffer of exactly its size).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "retrieval/LazTile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ByteBuffer tile(data, data + size);
  std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(tile);
  // Claims of billions of points in a few bytes are refused by the decoder as it runs out of
  // data; keep the fuzzer's runs short by not asking it to try.
  if (facts && facts->pointCount > 100000) return 0;
  std::uint64_t points = 0;
  std::wstring error;
  bool ok = DecodeLazTile(tile, [&points](double, double, double, std::uint8_t, std::uint16_t) { ++points; }, error);
  if (ok && (!facts || points != facts->pointCount || !error.empty())) std::abort();
  if (!ok && error.empty()) std::abort();
  return 0;
}
