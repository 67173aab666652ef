#include "retrieval/EptFetch.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "geo/Projections.h"
#include "retrieval/EptHierarchy.h"
#include "retrieval/EptMetadata.h"
#include "retrieval/IsolatedLazDecoder.h"
#include "retrieval/OrderedWork.h"

namespace {

// More samples than this per edge are never taken, however long the edge.
constexpr double kMaxEdgeSegments = 4096;

std::string_view AsText(const ByteBuffer& bytes) {
  return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

int EdgeSegments(double lengthInUnits, const StatePlaneZone& zone) {
  double metres = std::fabs(lengthInUnits * zone.unitMetres);
  if (!std::isfinite(metres)) return 1;  // the corner's conversion will fail
  return static_cast<int>(std::clamp(std::ceil(metres / kQueryEdgeStepMetres), 1.0, kMaxEdgeSegments));
}

// Keeps the decoded points that fall inside the rectangle, in zone coordinates.
class RectangleFilter {
 public:
  RectangleFilter(const StatePlaneZone& zone, const ZoneRectangle& rect, EptFetchResult& result)
      : zone_(zone), rect_(rect), result_(result) {}

  void operator()(double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) const {
    double lon = 0, lat = 0, easting = 0, northing = 0;
    WebMercatorToLonLat(x, y, lon, lat);
    if (!LonLatToZone(zone_, lon, lat, easting, northing)) return;
    if (!(rect_.xmin <= easting && easting < rect_.xmax && rect_.ymin <= northing && northing < rect_.ymax)) return;
    result_.x.push_back(easting);
    result_.y.push_back(northing);
    result_.z.push_back(MetresToZoneUnits(zone_, z));
    result_.classes.push_back(cls);
    result_.intensities.push_back(intensity);
  }

 private:
  const StatePlaneZone& zone_;
  const ZoneRectangle& rect_;
  EptFetchResult& result_;
};

// One tile read and decoded: the points of it that the filter kept, or why it failed.
struct TileOutcome {
  bool fetched = false;
  std::uint64_t bytes = 0;
  std::wstring error;
  EptFetchResult kept;
};

void AppendPoints(const EptFetchResult& from, EptFetchResult& to) {
  to.x.insert(to.x.end(), from.x.begin(), from.x.end());
  to.y.insert(to.y.end(), from.y.begin(), from.y.end());
  to.z.insert(to.z.end(), from.z.begin(), from.z.end());
  to.classes.insert(to.classes.end(), from.classes.begin(), from.classes.end());
  to.intensities.insert(to.intensities.end(), from.intensities.begin(), from.intensities.end());
}

// Reads the selected tiles through the filter, their points joining the result in
// selection order whatever order they arrive in.
void ReadTiles(const Fetcher& fetch, const TilePool& pool, const ProgressFn& progress, const std::string& surveyUrl,
               const std::vector<EptNodeKey>& keys, const StatePlaneZone& zone, const ZoneRectangle& rect,
               EptFetchResult& result) {
  bool own = pool.connections > 1 && pool.connect != nullptr;
  auto makeWorker = [&]() -> std::function<TileOutcome(size_t)> {
    Fetcher fetcher = own ? pool.connect() : fetch;
    // Each thread decodes in a worker process of its own, kept from one tile to the next.
    auto decoder = std::make_shared<IsolatedLazDecoder>();
    return [&, fetcher, decoder](size_t i) {
      TileOutcome outcome;
      ByteBuffer tile;
      outcome.fetched = fetcher(surveyUrl + kEptDataFolder + keys[i].text() + kEptTileExtension, tile);
      if (!outcome.fetched) return outcome;
      outcome.bytes = tile.size();
      RectangleFilter filter(zone, rect, outcome.kept);
      if (!decoder->decode(tile, std::cref(filter), outcome.error) && outcome.error.empty())
        outcome.error = kErrLazDecode;
      return outcome;
    };
  };
  auto take = [&](size_t i, TileOutcome& outcome) {
    if (!outcome.fetched) {
      result.error = kErrNodeFetch;
      return false;
    }
    result.bytesDownloaded += outcome.bytes;
    AppendPoints(outcome.kept, result);
    if (!outcome.error.empty()) {
      result.error = outcome.error;
      return false;
    }
    ++result.nodesFetched;
    if (progress && !progress(kProgressTile, i + 1, keys.size(), result.bytesDownloaded, result.x.size())) {
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
  RunInOrder<TileOutcome>(keys.size(), own ? pool.connections : 1, makeWorker, take, keepWaiting);
}

}  // namespace

bool QueryBoxForRectangle(const StatePlaneZone& zone, const ZoneRectangle& rect, WebMercatorBox& box) {
  const double corners[5][2] = {{rect.xmin, rect.ymin}, {rect.xmax, rect.ymin}, {rect.xmax, rect.ymax},
                                {rect.xmin, rect.ymax}, {rect.xmin, rect.ymin}};
  box = {INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (int edge = 0; edge < 4; ++edge) {
    const double* from = corners[edge];
    const double* to = corners[edge + 1];
    int segments = EdgeSegments(std::hypot(to[0] - from[0], to[1] - from[1]), zone);
    for (int s = 0; s < segments; ++s) {
      double t = static_cast<double>(s) / segments;
      double lon = 0, lat = 0, x = 0, y = 0;
      if (!ZoneToLonLat(zone, from[0] + t * (to[0] - from[0]), from[1] + t * (to[1] - from[1]), lon, lat))
        return false;
      LonLatToWebMercator(lon, lat, x, y);
      box.minX = std::min(box.minX, x);
      box.minY = std::min(box.minY, y);
      box.maxX = std::max(box.maxX, x);
      box.maxY = std::max(box.maxY, y);
    }
  }
  box.minX -= kQueryMarginMetres;
  box.minY -= kQueryMarginMetres;
  box.maxX += kQueryMarginMetres;
  box.maxY += kQueryMarginMetres;
  return true;
}

std::wstring StartSurveyRead(const Fetcher& fetch, const std::string& surveyUrl, const StatePlaneZone& zone,
                             const ZoneRectangle& rect, WebMercatorBox& box, ByteBuffer& metadata) {
  if (!QueryBoxForRectangle(zone, rect, box)) return kErrZoneInverse;
  if (fetch(surveyUrl + kEptMetadataFile, metadata)) return {};
  // A second line names the host and what the web client met there, when it got that far.
  std::wstring cause = LastHttpsFailure();
  return cause.empty() ? std::wstring(kErrMetadataFetch) : kErrMetadataFetch + (L"\n" + cause);
  return {};
}

EptFetchResult FetchEptRectangle(const Fetcher& fetch, const ProgressFn& progress, const std::string& surveyUrl,
                                 const StatePlaneZone& zone, double xmin, double ymin, double xmax, double ymax,
                                 const TilePool& pool) {
  EptFetchResult result;
  const ZoneRectangle rect{xmin, ymin, xmax, ymax};
  WebMercatorBox box;
  ByteBuffer metadata;
  result.error = StartSurveyRead(fetch, surveyUrl, zone, rect, box, metadata);
  if (!result.error.empty()) return result;
  std::optional<EptBounds> bounds = ParseEptBounds(AsText(metadata));
  if (!bounds) {
    result.error = kErrNoBounds;
    return result;
  }
  if (!IsWebMercatorDataset(AsText(metadata))) {
    result.error = kErrNotWebMercator;
    return result;
  }
  EptSelection selection = SelectEptNodes(fetch, progress, surveyUrl, *bounds, box, true, nullptr, pool);
  result.truncated = selection.truncated;
  if (!selection.error.empty()) {
    result.error = selection.error;
    return result;
  }
  ReadTiles(fetch, pool, progress, surveyUrl, selection.keys, zone, rect, result);
  return result;
}
