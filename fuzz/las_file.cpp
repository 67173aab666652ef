// The import's own reading of a LAS header and its records over arbitrary bytes: every
// input is either refused or gives facts that agree with the bytes (keys and records no
// larger than the input, a WKT without NULs), and the system they name reads as text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lasio/GeoKeys.h"
#include "lasio/LasFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<LasFileFacts> facts = ReadLasFileFacts(std::span<const std::uint8_t>(data, size));
  if (!facts) return 0;
  if (facts->pointFormat > 10 || facts->versionMinor > 4) std::abort();
  if (facts->wkt.size() > size || facts->wkt.find('\0') != std::string::npos) std::abort();
  if (facts->geoKeys.size() * 8 > size || facts->geoDoubles.size() * 8 > size || facts->geoAscii.size() > size)
    std::abort();
  NamedSystem named = SystemNamedBy(*facts);
  if (!named.definition.empty() && named.definition != facts->wkt && named.definition.rfind("EPSG:", 0) != 0)
    std::abort();
  return 0;
}
