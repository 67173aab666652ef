// The tile decoder over arbitrary bytes, as the module runs it: in the worker process. A
// tile either decodes to every point its header announces or is refused with a text, and
// whatever LASzip does with it (crash, leak, run out of memory or time) ends at most the
// worker: this process goes on, and the next tile gets a fresh worker.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lazworker/LazTile.h"
#include "retrieval/IsolatedLazDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static IsolatedLazDecoder decoder;
  ByteBuffer tile(data, data + size);
  // Claims of billions of points in a few bytes are refused by the decoder as it runs out of
  // data; keep the fuzzer's runs short by not asking it to try.
  std::optional<LasHeaderFacts> facts = ReadLasHeaderFacts(tile);
  if (facts && facts->pointCount > 100000) return 0;
  LasPointSet points;
  std::wstring error;
  bool whole = decoder.decodeRecords(tile, points, error);
  if (whole && (!facts || points.points.size() != facts->pointCount || !error.empty())) std::abort();
  if (!whole && error.empty()) std::abort();
  return 0;
}
