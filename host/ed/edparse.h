// Parsing of typed answers: keyword lists, keywords, points and numbers. Plain functions,
// used by the input functions and tested on their own.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelvarhost {

struct Keyword {
  std::wstring local;   // as shown and typed ("LType")
  std::wstring global;  // returned to the caller
  std::wstring abbreviation;  // its capital letters ("LT"), or the part after a comma
};

// "Make Set", "LType,LT Off", "Yes No _ Yes No" (local keywords, "_", global ones).
std::vector<Keyword> ParseKeywordList(std::wstring_view list);

// The global keyword an answer names, case-insensitively: the whole keyword, its
// abbreviation, a prefix at least as long as an abbreviation that begins it, or a prefix
// that only one keyword has. An answer starting with "_" is matched against the global
// keywords. nullopt when none or several match.
std::optional<std::wstring> MatchKeyword(const std::vector<Keyword>& keywords, std::wstring_view answer);

// "x,y", "x,y,z", "@dx,dy[,dz]" (relative to `from`), "@" (`from` itself). A 2D answer
// takes z 0 (relative: from's z).
bool ParsePoint(std::wstring_view text, const double from[3], double point[3]);
bool ParseReal(std::wstring_view text, double* value);
bool ParseInteger(std::wstring_view text, long long* value);

}  // namespace pelvarhost
