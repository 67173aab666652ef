#include "edparse.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "edanswer.h"
#include "textcase.h"

namespace pelvarhost {
namespace {

std::vector<std::wstring> Words(std::wstring_view text) {
  std::vector<std::wstring> words;
  std::wstring word;
  for (wchar_t c : text) {
    if (std::iswspace(c)) {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

Keyword MakeKeyword(const std::wstring& word) {
  Keyword keyword;
  size_t comma = word.find(L',');
  keyword.local = word.substr(0, comma);
  if (comma != std::wstring::npos) {
    keyword.abbreviation = word.substr(comma + 1);
  } else {
    for (wchar_t c : keyword.local)
      if (std::iswupper(c) || std::iswdigit(c)) keyword.abbreviation.push_back(c);
    // A keyword typed all in capitals has no short form but its whole self.
  }
  keyword.global = keyword.local;
  return keyword;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Matches by one spelling of each keyword (local or global).
std::optional<std::wstring> MatchBy(const std::vector<Keyword>& keywords, std::wstring_view answer, bool global) {
  auto spelling = [global](const Keyword& k) -> const std::wstring& { return global ? k.global : k.local; };
  for (const Keyword& k : keywords)
    if (SameTextIgnoringCase(spelling(k), answer)) return k.global;
  for (const Keyword& k : keywords)
    if (!k.abbreviation.empty() && SameTextIgnoringCase(k.abbreviation, answer)) return k.global;
  for (const Keyword& k : keywords) {
    const std::wstring& word = spelling(k);
    if (!k.abbreviation.empty() && StartsWith(word, k.abbreviation) && answer.size() >= k.abbreviation.size() &&
        StartsWith(word, answer))
      return k.global;
  }
  std::optional<std::wstring> only;
  for (const Keyword& k : keywords) {
    if (!StartsWith(spelling(k), answer)) continue;
    if (only) return std::nullopt;  // ambiguous
    only = k.global;
  }
  return only;
}

}  // namespace

std::vector<Keyword> ParseKeywordList(std::wstring_view list) {
  std::vector<std::wstring> words = Words(list);
  std::vector<Keyword> keywords;
  size_t split = words.size();
  for (size_t i = 0; i < words.size(); ++i)
    if (words[i] == L"_") split = i;
  for (size_t i = 0; i < split; ++i) keywords.push_back(MakeKeyword(words[i]));
  for (size_t i = split + 1, k = 0; i < words.size() && k < keywords.size(); ++i, ++k)
    keywords[k].global = MakeKeyword(words[i]).local;
  return keywords;
}

std::optional<std::wstring> MatchKeyword(const std::vector<Keyword>& keywords, std::wstring_view answer) {
  std::wstring text = detail::Trim(answer);
  if (text.empty()) return std::nullopt;
  if (text.size() > 1 && text[0] == L'_') return MatchBy(keywords, std::wstring_view(text).substr(1), true);
  return MatchBy(keywords, text, false);
}

bool ParseReal(std::wstring_view text, double* value) {
  std::wstring s = detail::Trim(text);
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  double v = std::wcstod(s.c_str(), &end);
  if (end == s.c_str() || *end != L'\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool ParseInteger(std::wstring_view text, long long* value) {
  std::wstring s = detail::Trim(text);
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  errno = 0;
  long long v = std::wcstoll(s.c_str(), &end, 10);
  if (end == s.c_str() || *end != L'\0' || errno == ERANGE) return false;
  *value = v;
  return true;
}

bool ParsePoint(std::wstring_view text, const double from[3], double point[3]) {
  std::wstring s = detail::Trim(text);
  bool relative = !s.empty() && s[0] == L'@';
  if (relative) s.erase(0, 1);
  if (relative && detail::Trim(s).empty()) {
    for (int i = 0; i < 3; ++i) point[i] = from[i];
    return true;
  }
  std::vector<double> parts;
  size_t start = 0;
  while (true) {
    size_t comma = s.find(L',', start);
    double v;
    if (!ParseReal(std::wstring_view(s).substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start), &v))
      return false;
    parts.push_back(v);
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return false;
  double z = parts.size() == 3 ? parts[2] : 0.0;
  double result[3] = {parts[0], parts[1], z};
  if (relative)
    for (int i = 0; i < 3; ++i) result[i] += from[i];
  // An offset can carry a finite point past the largest double: refused like "inf".
  for (double coordinate : result)
    if (!std::isfinite(coordinate)) return false;
  for (int i = 0; i < 3; ++i) point[i] = result[i];
  return true;
}

}  // namespace pelvarhost
