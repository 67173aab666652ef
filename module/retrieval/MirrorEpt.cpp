#include "retrieval/MirrorEpt.h"

#include <optional>

#include "retrieval/EptHierarchy.h"
#include "retrieval/EptMetadata.h"
#include "retrieval/OrderedWork.h"

namespace {


struct TileCopy {
  bool held = false;
  bool fetched = false;
  bool written = false;
  std::uint64_t bytes = 0;
};

void CopyTiles(const Fetcher& fetch, const MirrorWriter& write, const MirrorHolds& holds, const TilePool& pool,
               const ProgressFn& progress, const std::string& surveyUrl, const std::vector<EptNodeKey>& keys,
               MirrorResult& result) {
  bool own = pool.connections > 1 && pool.connect != nullptr;
  auto makeWorker = [&]() -> std::function<TileCopy(size_t)> {
    Fetcher fetcher = own ? pool.connect() : fetch;
    return [&, fetcher](size_t i) {
      TileCopy copy;
      std::string relative = kEptDataFolder + keys[i].text() + kEptTileExtension;
      copy.held = holds(relative);
      if (copy.held) return copy;
      ByteBuffer tile;
      copy.fetched = fetcher(surveyUrl + relative, tile);
      copy.written = copy.fetched && write(relative, tile);
      copy.bytes = tile.size();
      return copy;
    };
  };
  auto take = [&](size_t i, TileCopy& copy) {
    if (copy.held) {
      ++result.nodesOnDisk;
    } else if (!copy.fetched) {
      result.error = kErrNodeFetch;
      return false;
    } else if (!copy.written) {
      result.error = kErrMirrorWrite;
      return false;
    } else {
      result.bytesDownloaded += static_cast<std::int64_t>(copy.bytes);
      ++result.nodesDownloaded;
    }
    if (progress && !progress(kProgressTile, i + 1, keys.size(), static_cast<std::uint64_t>(result.bytesDownloaded),
                              static_cast<std::uint64_t>(result.totalPoints))) {
      result.error = kErrCancelled;
      return false;
    }
    return true;
  };
  auto keepWaiting = [&] {
    if (!progress || progress(kProgressWaiting, 0, 0, 0, 0)) return true;
    result.error = kErrCancelled;
    return false;
  };
  RunInOrder<TileCopy>(keys.size(), own ? pool.connections : 1, makeWorker, take, keepWaiting);
}

}  // namespace

MirrorResult MirrorEptRectangle(const Fetcher& fetch, const MirrorWriter& write, const MirrorHolds& holds,
                                const ProgressFn& progress, const std::string& surveyUrl, const StatePlaneZone& zone,
                                const ZoneRectangle& rect, const TilePool& pool) {
  MirrorResult result;
  WebMercatorBox box;
  ByteBuffer metadata;
  result.error = StartSurveyRead(fetch, surveyUrl, zone, rect, box, metadata);
  if (!result.error.empty()) return result;
  if (!write(kEptMetadataFile, metadata)) {
    result.error = kErrMirrorWrite;
    return result;
  }
  std::optional<EptBounds> bounds =
      ParseEptBounds(std::string_view(reinterpret_cast<const char*>(metadata.data()), metadata.size()));
  if (!bounds) {
    result.error = kErrNoBounds;
    return result;
  }
  PageSink pages = [&write](const std::string& relativePath, const ByteBuffer& bytes) { write(relativePath, bytes); };
  EptSelection selection = SelectEptNodes(fetch, progress, surveyUrl, *bounds, box, false, pages, pool);
  result.totalPoints = static_cast<std::int64_t>(std::min<std::uint64_t>(selection.storedPoints, INT64_MAX));
  if (!selection.error.empty()) {
    result.error = selection.error;
    return result;
  }
  CopyTiles(fetch, write, holds, pool, progress, surveyUrl, selection.keys, result);
  return result;
}
