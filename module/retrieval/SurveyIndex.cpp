#include "retrieval/SurveyIndex.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "retrieval/ArchiveEndpoints.h"
#include "retrieval/ByteSource.h"
#include "retrieval/TextNumbers.h"

namespace {

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.';
}

// Reads fields one after another, each after optional white space, the way a scanf format
// "%s %d ..." would, but with range checks.
class FieldReader {
 public:
  explicit FieldReader(std::string_view line) : rest_(line) {}

  std::optional<std::string_view> word() {
    rest_ = SkipSpace(rest_);
    size_t n = 0;
    while (n < rest_.size() && !IsTextSpace(rest_[n])) ++n;
    if (n == 0) return std::nullopt;
    std::string_view found = rest_.substr(0, n);
    rest_ = rest_.substr(n);
    return found;
  }

  template <typename Number>
  std::optional<Number> number() {
    rest_ = SkipSpace(rest_);
    Number value{};
    size_t used = ReadLeadingNumber(rest_, value);
    if (used == 0) return std::nullopt;
    rest_ = rest_.substr(used);
    return value;
  }

 private:
  std::string_view rest_;
};

std::optional<SurveyIndexEntry> ParseLine(std::string_view line) {
  FieldReader fields(line);
  std::optional<std::string_view> name = fields.word();
  if (!name || !IsUsableSurveyName(*name)) return std::nullopt;
  auto year = fields.number<std::int32_t>();
  auto count = fields.number<std::int64_t>();
  auto west = fields.number<double>();
  auto south = fields.number<double>();
  auto east = fields.number<double>();
  auto north = fields.number<double>();
  if (!year || !count || !west || !south || !east || !north) return std::nullopt;
  if (!std::isfinite(*west) || !std::isfinite(*south) || !std::isfinite(*east) || !std::isfinite(*north))
    return std::nullopt;
  return SurveyIndexEntry{std::string(*name), *year, *count, *west, *south, *east, *north};
}

}  // namespace

bool IsUsableSurveyName(std::string_view name) {
  if (name.empty() || name.size() > kMaxSurveyNameLength || name == "." || name == "..") return false;
  return std::all_of(name.begin(), name.end(), IsNameCharacter);
}

std::vector<SurveyIndexEntry> ParseSurveyIndex(std::string_view text) {
  std::vector<SurveyIndexEntry> entries;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (std::optional<SurveyIndexEntry> entry = ParseLine(text.substr(start, end - start))) entries.push_back(*entry);
    start = end + 1;
  }
  return entries;
}

std::vector<SurveyIndexEntry> LoadSurveyIndex(std::wstring& error) {
  std::string url = std::string("https://") + kSurveyIndexHost + kSurveyIndexPath;
  ByteBuffer bytes;
  if (!FetchBytes(url, bytes)) {
    std::string host = kSurveyIndexHost;
    error = L"datasets.txt fetch failed (" + std::wstring(host.begin(), host.end()) + L" unreachable?)";
    return {};
  }
  std::vector<SurveyIndexEntry> entries =
      ParseSurveyIndex(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (entries.empty()) error = L"datasets.txt parsed empty";
  return entries;
}

std::vector<SurveyIndexEntry> FindCandidateSurveys(const std::vector<SurveyIndexEntry>& entries, double lon,
                                                   double lat) {
  std::vector<SurveyIndexEntry> found;
  for (const SurveyIndexEntry& entry : entries)
    if (entry.west <= lon && lon <= entry.east && entry.south <= lat && lat <= entry.north) found.push_back(entry);
  std::stable_sort(found.begin(), found.end(), [](const SurveyIndexEntry& a, const SurveyIndexEntry& b) {
    return a.year != b.year ? a.year > b.year : a.count > b.count;
  });
  return found;
}
