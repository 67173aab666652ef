// The parsers of typed answers over arbitrary text. The input's first line is a keyword
// list and the rest one answer, read as a keyword, a point (absolute and relative), a real
// and an integer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "edparse.h"
#include "fuzz/support/ScratchFile.h"
#include "wcrt.h"

using pelvarfuzz::Require;

namespace {

void CheckKeyword(const std::wstring& list, const std::wstring& answer) {
  const std::vector<pelvarhost::Keyword> keywords = pelvarhost::ParseKeywordList(list);
  const std::optional<std::wstring> match = pelvarhost::MatchKeyword(keywords, answer);
  if (!match) return;
  Require(std::any_of(keywords.begin(), keywords.end(), [&](const auto& k) { return k.global == *match; }),
          "a matched keyword is one of the list's");
}

void CheckPoint(const std::wstring& answer) {
  // The last point lies far out, so that relative answers can reach past the largest double.
  const double from[3] = {1e308, -1e308, 12.5};
  double point[3] = {0, 0, 0};
  if (!pelvarhost::ParsePoint(answer, from, point)) return;
  Require(std::isfinite(point[0]) && std::isfinite(point[1]) && std::isfinite(point[2]), "a point is finite");
}

void CheckNumbers(const std::wstring& answer) {
  double real = 0;
  if (pelvarhost::ParseReal(answer, &real)) Require(std::isfinite(real), "a real is finite");
  long long integer = 0;
  if (pelvarhost::ParseInteger(answer, &integer)) {
    double again = 0;
    Require(pelvarhost::ParseReal(answer, &again), "an integer answer is also a real answer");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t newline = text.find('\n');
  const std::wstring list = pelvarhost::Utf8ToWide(text.substr(0, newline));
  const std::wstring answer =
      newline == std::string_view::npos ? std::wstring() : pelvarhost::Utf8ToWide(text.substr(newline + 1));
  CheckKeyword(list, answer);
  CheckPoint(answer);
  CheckNumbers(answer);
  return 0;
}
