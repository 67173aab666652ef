// The whole traversal over a generated survey served on loopback: the points it returns
// against the generator's own list filtered by the rectangle, the query box along curved
// edges, and every failure with its text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

#include "geo/Projections.h"
#include "retrieval/ArchiveEndpoints.h"
#include "retrieval/EptFetch.h"
#include "tests/module/retrieval/NetworkFixture.h"
#include "tools/eptgen/EptDataset.h"

namespace {

using namespace pelvartest;
using eptgen::ScenePoint;

const std::string kSurvey = "Generated_2020";
const StatePlaneZone& PennsylvaniaSouth() { return *FindZoneByEpsg(2272); }

using PointTuple = std::tuple<double, double, double, int, int>;

// The generator's points inside the rectangle, converted into the zone: the answer the
// traversal must give, found without any hierarchy or tile.
std::vector<PointTuple> Expected(const std::vector<ScenePoint>& points, const StatePlaneZone& zone,
                                 const ZoneRectangle& r) {
  std::vector<PointTuple> out;
  for (const ScenePoint& p : points) {
    double lon = 0, lat = 0, e = 0, n = 0;
    WebMercatorToLonLat(p.x, p.y, lon, lat);
    if (!LonLatToZone(zone, lon, lat, e, n)) continue;
    if (r.xmin <= e && e < r.xmax && r.ymin <= n && n < r.ymax)
      out.emplace_back(e, n, MetresToZoneUnits(zone, p.z), p.cls, p.intensity);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<PointTuple> Fetched(const EptFetchResult& result) {
  std::vector<PointTuple> out;
  for (size_t i = 0; i < result.x.size(); ++i)
    out.emplace_back(result.x[i], result.y[i], result.z[i], result.classes[i], result.intensities[i]);
  std::sort(out.begin(), out.end());
  return out;
}

void ZoneOf(const ScenePoint& p, double& e, double& n) {
  double lon = 0, lat = 0;
  WebMercatorToLonLat(p.x, p.y, lon, lat);
  LonLatToZone(PennsylvaniaSouth(), lon, lat, e, n);
}

class EptFetchTest : public NetworkFixture {
 protected:
  void Serve(const eptgen::PlannedDataset& dataset) {
    std::string error;
    ASSERT_TRUE(eptgen::WriteDataset(dataset, (data_.path() / kSurvey).string(), error)) << error;
    server().serveFolder(ArchivePath(kSurvey + "/"), (data_.path() / kSurvey).string());
  }
  EptFetchResult Fetch(const ZoneRectangle& r, const ProgressFn& progress = nullptr) {
    return FetchEptRectangle(FetchBytes, progress, ArchiveUrl(kSurvey + "/"), PennsylvaniaSouth(), r.xmin, r.ymin,
                             r.xmax, r.ymax);
  }
  // Serves the generated scene and returns it, with the zone position of its point `index`.
  eptgen::PlannedDataset ServeScene(size_t index, double& e, double& n) {
    eptgen::PlannedDataset dataset = eptgen::SceneDataset(5, -77.0, 40.0, 1500.0, 20000, 1000);
    Serve(dataset);
    ZoneOf(dataset.points[index], e, n);
    return dataset;
  }
  TempFolder data_{"ept"};
};

TEST_F(EptFetchTest, BoundedReadReturnsExactlyThePointsInsideTheRectangleEdgesIncluded) {
  double e = 0, n = 0;
  eptgen::PlannedDataset dataset = ServeScene(0, e, n);
  // Edges through generated points: two on the lower edges, two on the upper edges.
  const std::vector<ScenePoint>& pts = dataset.points;
  double e0, n0, e1, n1, e2, n2, e3, n3;
  ZoneOf(pts[100], e0, n0);
  ZoneOf(pts[200], e1, n1);
  ZoneOf(pts[300], e2, n2);
  ZoneOf(pts[400], e3, n3);
  ZoneRectangle r{std::min(e0, e2), std::min(n1, n3), std::max(e0, e2), std::max(n1, n3)};
  ASSERT_GT(r.xmax - r.xmin, 100.0);
  ASSERT_GT(r.ymax - r.ymin, 100.0);

  std::vector<std::uint64_t> tiles;
  std::vector<std::uint64_t> levels;
  EptFetchResult result = Fetch(r, [&](std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                       std::uint64_t d) {
    if (phase == kProgressHierarchy || phase == kProgressTile) (phase == 0 ? levels : tiles).push_back(phase == 0 ? b : a);
    return c < UINT64_MAX && d < UINT64_MAX;
  });
  ASSERT_EQ(result.error, L"");
  std::vector<PointTuple> expected = Expected(pts, PennsylvaniaSouth(), r);
  ASSERT_GT(expected.size(), 1000u);
  ASSERT_LT(expected.size(), pts.size());
  EXPECT_EQ(Fetched(result), expected);
  EXPECT_FALSE(result.truncated);
  EXPECT_EQ(tiles.size(), result.nodesFetched);
  EXPECT_GT(result.nodesFetched, 4u);
  EXPECT_LT(result.nodesFetched, dataset.nodes.size());
  EXPECT_FALSE(levels.empty());
  std::uint64_t tileBytes = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data_.path() / kSurvey / "ept-data"))
    tileBytes += entry.file_size();
  EXPECT_LT(result.bytesDownloaded, tileBytes);
  EXPECT_GT(result.bytesDownloaded, 0u);
}

TEST_F(EptFetchTest, PointsOnTheLowerEdgesAreKeptAndOnTheUpperEdgesDropped) {
  double e = 0, n = 0;
  eptgen::PlannedDataset dataset = ServeScene(7, e, n);
  auto has = [&](const EptFetchResult& result) {
    for (size_t i = 0; i < result.x.size(); ++i)
      if (result.x[i] == e && result.y[i] == n) return true;
    return false;
  };
  EXPECT_TRUE(has(Fetch({e, n, e + 50, n + 50})));
  EXPECT_FALSE(has(Fetch({e - 50, n - 50, e, n + 50})));
  EXPECT_FALSE(has(Fetch({e - 50, n - 50, e + 50, n})));
}

TEST_F(EptFetchTest, QueryBoxFollowsTheCurvedEdgeOfAWideRectangle) {
  // A rectangle 100 km wide: its straight edges bow in Web Mercator by far more than the
  // 5 m margin, so the box of its four corners misses the middle of an edge.
  const StatePlaneZone& zone = PennsylvaniaSouth();
  // Centred on the zone's central meridian, where a line of constant northing runs
  // furthest south of its ends.
  ScenePoint centre;
  LonLatToWebMercator(zone.lon0, 40.0, centre.x, centre.y);
  double cx = 0, cy = 0;
  ZoneOf(centre, cx, cy);
  ZoneRectangle r{cx - 164000, cy - 3000, cx + 164000, cy + 3000};
  WebMercatorBox corners{INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (double x : {r.xmin, r.xmax})
    for (double y : {r.ymin, r.ymax}) {
      double lon, lat, mx, my;
      ZoneToLonLat(zone, x, y, lon, lat);
      LonLatToWebMercator(lon, lat, mx, my);
      corners = {std::min(corners.minX, mx), std::min(corners.minY, my), std::max(corners.maxX, mx),
                 std::max(corners.maxY, my)};
    }
  // The point just inside the middle of whichever long edge bows outwards.
  ScenePoint inside;
  double best = 0;
  for (double y : {r.ymin + 1, r.ymax - 1}) {
    double lon, lat, mx, my;
    ZoneToLonLat(zone, (r.xmin + r.xmax) / 2, y, lon, lat);
    LonLatToWebMercator(lon, lat, mx, my);
    double outside = std::max(corners.minY - my, my - corners.maxY);
    if (outside > best) best = outside, inside.x = mx, inside.y = my;
  }
  ASSERT_GT(best, 100.0);
  inside.z = 200;
  inside.cls = 2;
  inside.depth = 12;
  eptgen::DatasetOptions options;
  options.edge = 131072;
  options.originX = std::floor(inside.x) - options.edge / 2;
  options.originY = std::floor(inside.y) - options.edge / 2;
  options.minZ = 0;
  options.maxDepth = 12;
  eptgen::PlannedDataset dataset = eptgen::PlanDataset({inside}, options);
  Serve(dataset);
  // The deepest copy's node lies wholly outside the corners' box, margin and all.
  double nodeEdge = options.edge / 4096;
  double nodeMinY = options.originY + std::floor((inside.y - options.originY) / nodeEdge) * nodeEdge;
  ASSERT_TRUE(nodeMinY > corners.maxY + kQueryMarginMetres || nodeMinY + nodeEdge < corners.minY - kQueryMarginMetres);

  EptFetchResult result = Fetch(r);
  ASSERT_EQ(result.error, L"");
  EXPECT_EQ(Fetched(result), Expected(dataset.points, zone, r));
  EXPECT_EQ(result.x.size(), 13u);  // the point at depth 12 and its copies in every ancestor
}

TEST_F(EptFetchTest, NodesWithoutPointsInsideGiveAnEmptySuccess) {
  double e = 0, n = 0;
  eptgen::PlannedDataset dataset = ServeScene(0, e, n);
  // A sliver between two points' eastings, over nodes but holding no point.
  std::vector<double> eastings;
  for (const ScenePoint& p : dataset.points) {
    double pe, pn;
    ZoneOf(p, pe, pn);
    eastings.push_back(pe);
  }
  std::sort(eastings.begin(), eastings.end());
  size_t middle = eastings.size() / 2;
  ZoneRectangle sliver{eastings[middle] + 1e-6, n - 10, eastings[middle + 1] - 1e-6, n + 10};
  ASSERT_LT(sliver.xmin, sliver.xmax);
  EptFetchResult result = Fetch(sliver);
  EXPECT_EQ(result.error, L"");
  EXPECT_TRUE(result.x.empty());
  EXPECT_GT(result.nodesFetched, 0u);
}

TEST_F(EptFetchTest, EveryFailureEndsTheCallWithItsText) {
  double e = 0, n = 0;
  eptgen::PlannedDataset dataset = ServeScene(0, e, n);
  const ZoneRectangle r{e - 200, n - 200, e + 200, n + 200};
  auto failure = [&](const ZoneRectangle& rect) { return Fetch(rect).error; };
  EXPECT_EQ(failure(r), L"");
  EXPECT_EQ(failure({e + 900000, n, e + 900100, n + 100}), L"no EPT nodes over the rectangle");
  EXPECT_EQ(failure({NAN, n, e, n + 100}), L"zone inverse failed");

  const std::string metadata = ArchivePath(kSurvey + "/ept.json");
  server().setBody(metadata, R"({"bounds": [1, 2, 3], "srs": {"horizontal": "3857"}})");
  EXPECT_EQ(failure(r), L"ept.json: no bounds");
  server().setBody(metadata, eptgen::MetadataJson(dataset).replace(eptgen::MetadataJson(dataset).find("3857"), 4, "6350"));
  EXPECT_EQ(failure(r), L"dataset is not in EPSG:3857");
  std::string noHorizontal = eptgen::MetadataJson(dataset);
  noHorizontal.replace(noHorizontal.find(dataset.options.srs), dataset.options.srs.size(), "{}");
  server().setBody(metadata, noHorizontal);
  EXPECT_EQ(failure(r), L"");
  const std::wstring host(kArchiveHost, kArchiveHost + std::strlen(kArchiveHost));
  for (auto [fault, cause] : {std::pair{FaultKind::kNotFound, L"HTTP status 404"}, {FaultKind::kEmptyOk, L"empty answer"}}) {
    server().setFault(metadata, {fault});
    EXPECT_EQ(failure(r), L"ept.json fetch failed\n" + host + L": " + cause);
  }
  server().clearFaults();

  server().setFault(ArchivePath(kSurvey + "/ept-hierarchy/0-0-0-0.json"), {FaultKind::kNotFound});
  EXPECT_EQ(failure(r), L"hierarchy fetch failed");
  server().clearFaults();
  for (const auto& [path, text] : eptgen::HierarchyPages(dataset))
    if (path != "ept-hierarchy/0-0-0-0.json") server().setFault(ArchivePath(kSurvey + "/" + path), {FaultKind::kNotFound});
  EXPECT_EQ(failure(r), L"hierarchy page fetch failed");
  server().clearFaults();

  server().setFault(ArchivePath(kSurvey + "/ept-data/0-0-0-0.laz"), {FaultKind::kCutShort});
  EXPECT_EQ(failure(r), L"node fetch failed");
  server().clearFaults();
  server().setBody(ArchivePath(kSurvey + "/ept-data/0-0-0-0.laz"), "LASF but nothing else");
  EXPECT_EQ(failure(r), L"laz decode failed");
  server().setBody(ArchivePath(kSurvey + "/ept-data/0-0-0-0.laz"), "");
  EXPECT_EQ(failure(r), L"node fetch failed");
}

TEST_F(EptFetchTest, CancellingAfterTheFirstTileStopsTheRead) {
  double e = 0, n = 0;
  eptgen::PlannedDataset dataset = ServeScene(0, e, n);
  int tiles = 0;
  EptFetchResult result = Fetch({e - 300, n - 300, e + 300, n + 300},
                                [&](std::int32_t phase, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) {
                                  return phase != kProgressTile || ++tiles < 1;
                                });
  EXPECT_EQ(result.error, L"cancelled");
  EXPECT_EQ(result.nodesFetched, 1u);
  EXPECT_EQ(tiles, 1);
}

}  // namespace
