// The survey index datasets.txt: one survey of the 3DEP archive per line, with its year,
// point count and geographic extent. Read anew by each command that needs it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kMaxSurveyNameLength = 255;

struct SurveyIndexEntry {
  std::string name;  // folder name in the archive and in the mirror
  std::int32_t year = 0;
  std::int64_t count = 0;
  double west = 0, south = 0, east = 0, north = 0;  // degrees
};

// True when the name can serve as a folder name and in a URL: 1 to 255 letters, digits,
// '_', '-' and '.', and neither "." nor "..".
bool IsUsableSurveyName(std::string_view name);

// One entry per line of "NAME YEAR COUNT WEST SOUTH EAST NORTH" (white space between fields,
// anything after the seventh ignored), in file order. Lines that do not parse, whose name
// is unusable, whose numbers are out of range or not finite are skipped.
std::vector<SurveyIndexEntry> ParseSurveyIndex(std::string_view text);

// Reads datasets.txt from the survey index server (or the mirror). On failure: an empty
// list and `error` set.
std::vector<SurveyIndexEntry> LoadSurveyIndex(std::wstring& error);

// The entries whose extent contains the point (edges included), newest first; equal years
// by count, larger first.
std::vector<SurveyIndexEntry> FindCandidateSurveys(const std::vector<SurveyIndexEntry>& entries, double lon,
                                                   double lat);
