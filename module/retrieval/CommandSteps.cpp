#include "retrieval/CommandSteps.h"

#include <algorithm>

#include "aced.h"
#include "geo/Projections.h"
#include "retrieval/ArchiveEndpoints.h"

bool AskRectangle(const wchar_t* firstPrompt, ZoneRectangle& rect) {
  ads_point first = {0, 0, 0}, second = {0, 0, 0};
  if (acedGetPoint(nullptr, firstPrompt, first) != RTNORM) return false;
  if (acedGetCorner(first, L"\nOpposite corner: ", second) != RTNORM) return false;
  rect = {std::min(first[0], second[0]), std::min(first[1], second[1]), std::max(first[0], second[0]),
          std::max(first[1], second[1])};
  return true;
}

bool HasWidthAndHeight(const ZoneRectangle& rect) {
  if (rect.xmax > rect.xmin && rect.ymax > rect.ymin) return true;
  acutPrintf(L"\nThe rectangle has no width or no height; pick two opposite corners.");
  return false;
}

bool RectangleCentreLonLat(const StatePlaneZone& zone, const ZoneRectangle& rect, double& lon, double& lat) {
  if (ZoneToLonLat(zone, (rect.xmin + rect.xmax) / 2, (rect.ymin + rect.ymax) / 2, lon, lat)) return true;
  acutPrintf(L"\nZone inverse failed.");
  return false;
}

void PrintCandidateHeading(const SurveyIndexEntry& survey) {
  std::wstring name;
  for (size_t i = 0; i < survey.name.size() && i < kMaxSurveyNameLength; ++i)
    name.push_back(static_cast<unsigned char>(survey.name[i]));
  acutPrintf(L"\n%ls (%d):", name.c_str(), survey.year);
}

std::string SurveyUrl(const SurveyIndexEntry& survey) { return std::string(kArchiveRoot) + survey.name + "/"; }

bool BreakOrReportLevel(std::int32_t phase, std::uint64_t nodes, std::uint64_t storedPoints, bool& cancelled) {
  cancelled = acedUsrBrk() != 0;
  if (cancelled) return false;
  if (phase == kProgressHierarchy)
    acutPrintf(L"\r  hierarchy: %llu nodes, %llu stored pts   ", static_cast<unsigned long long>(nodes),
               static_cast<unsigned long long>(storedPoints));
  return phase == kProgressTile;
}

TilePool KeepAliveTilePool() { return TilePool{kTileConnections, [] { return KeepAliveFetcher(); }}; }
