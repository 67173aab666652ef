// The hierarchy page parser and the walk over arbitrary pages: every key kept contains a
// dash, and a walk over the page (served as every page of the survey) ends with a selection
// of keys inside the octree's arithmetic.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "retrieval/EptHierarchy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string page(reinterpret_cast<const char*>(data), size);
  EptHierarchy hierarchy;
  ParseEptHierarchy(page, hierarchy);
  for (const auto& [key, value] : hierarchy)
    if (key.find('-') == std::string::npos) std::abort();
  Fetcher everyPage = [&page](const std::string&, ByteBuffer& bytes) {
    bytes.assign(page.begin(), page.end());
    return true;
  };
  const EptBounds cube{0, 0, 0, 1024, 1024, 1024};
  for (bool limits : {true, false}) {
    EptSelection s = SelectEptNodes(everyPage, nullptr, "https://fuzz.test/s/", cube, {0, 0, 1024, 1024}, limits);
    for (const EptNodeKey& key : s.keys)
      if (key.d < 0 || key.d > kMaxKeyDepth || (limits && key.d > kMaxEptDepth)) std::abort();
    if (s.error.empty() == s.keys.empty()) std::abort();
  }
  return 0;
}
