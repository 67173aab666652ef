// The tile decoder over arbitrary bytes: it either decodes every point the header
// announces or refuses the tile with a text, and never reads outside the bytes it is given
// (the input is copied into a buffer of exactly its size).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "retrieval/LazTile.h"

// LASzip sizes the buffer of each layer of a LAS 1.4 chunk by the 32-bit byte count the
// chunk gives, before it finds out that the bytes are not there: a damaged count asks for up
// to 4 GiB that is never touched. Such a request is not a finding of this target, so the
// malloc limit sits above it (the RSS limit still catches memory really used).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args(*argv, *argv + *argc);
  static char limit[] = "-malloc_limit_mb=4200";
  args.insert(args.begin() + 1, limit);
  args.push_back(nullptr);
  *argv = args.data();
  *argc = static_cast<int>(args.size()) - 1;
  return 0;
}

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
