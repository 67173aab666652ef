#include "retrieval/CommandSteps.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

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

namespace {

// Connections handed to the pool's threads and taken back when a thread is done with its
// share, so that the hierarchy levels and the tiles of a command all reuse the same few.
class ConnectionShelf : public std::enable_shared_from_this<ConnectionShelf> {
 public:
  Fetcher lend() {
    Fetcher connection;
    {
      std::lock_guard lock(mutex_);
      if (!idle_.empty()) {
        connection = std::move(idle_.back());
        idle_.pop_back();
      }
    }
    if (!connection) connection = KeepAliveFetcher();
    std::shared_ptr<ConnectionShelf> shelf = shared_from_this();
    std::shared_ptr<Fetcher> lent(new Fetcher(std::move(connection)), [shelf](Fetcher* returned) {
      shelf->giveBack(std::move(*returned));
      delete returned;
    });
    return [lent](const std::string& url, ByteBuffer& bytes) { return (*lent)(url, bytes); };
  }

 private:
  void giveBack(Fetcher connection) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(connection));
  }

  std::mutex mutex_;
  std::vector<Fetcher> idle_;
};

}  // namespace

TilePool KeepAliveTilePool() {
  auto shelf = std::make_shared<ConnectionShelf>();
  return TilePool{kTileConnections, [shelf] { return shelf->lend(); }};
}
