// The survey index parser over arbitrary text: every entry it keeps has a usable name,
// finite extents, and comes from its own line; finding candidates never fails.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "retrieval/SurveyIndex.h"

namespace {
void Require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<SurveyIndexEntry> entries = ParseSurveyIndex(text);
  size_t lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  Require(entries.size() <= lines);
  for (const SurveyIndexEntry& e : entries) {
    Require(IsUsableSurveyName(e.name));
    Require(text.find(e.name) != std::string_view::npos);
    Require(std::isfinite(e.west) && std::isfinite(e.south) && std::isfinite(e.east) && std::isfinite(e.north));
  }
  if (!entries.empty()) {
    const SurveyIndexEntry& first = entries.front();
    std::vector<SurveyIndexEntry> found = FindCandidateSurveys(entries, first.west, first.south);
    for (size_t i = 1; i < found.size(); ++i)
      Require(found[i - 1].year > found[i].year ||
              (found[i - 1].year == found[i].year && found[i - 1].count >= found[i].count));
  }
  return 0;
}
