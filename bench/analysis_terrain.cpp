// Terrain queries, the corridor profile and the surface's vertices over the shared
// 20,000,000-point sample cloud.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "aeccdb.h"
#include "analysis/CloudView.h"
#include "analysis/CorridorStations.h"
#include "analysis/SurfaceCommand.h"
#include "analysis/TerrainQueries.h"
#include "bench/cloudfile_bench_data.h"
#include "civil/CivilBridge.h"
#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "dbmain.h"
#include "entity/ModelSpace.h"
#include "hostcmdline.h"

namespace {

constexpr size_t kQueryPositions = 1 << 14;
constexpr double kCorridorStep = 5.0;
constexpr double kCorridorHalfWidth = 5.0;
constexpr size_t kScanStations = 10;

// The bench cloud as a command sees it (default class mask, identity placement).
const CloudViews& BenchViews() {
  static const CloudViews views = [] {
    CloudView view;
    const std::string& path = cloudfile_bench::BenchFile();  // an ASCII path
    view.data = LoadCloudFile(std::wstring(path.begin(), path.end()));
    view.classMask = Pelvar::kDefaultClassMask;
    return view.data ? CloudViews{view} : CloudViews{};
  }();
  return views;
}

// Seeded positions spread over the cloud's square.
std::vector<AcGePoint3d> QueryPositions(const KmqData& data) {
  std::mt19937_64 random(4242);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<AcGePoint3d> positions;
  for (size_t i = 0; i < kQueryPositions; ++i)
    positions.emplace_back(data.originX + u(random) * data.sizeX, data.originY + u(random) * data.sizeY, 0.0);
  return positions;
}

void BM_GroundElevationAt(benchmark::State& state) {
  const CloudViews& views = BenchViews();
  if (views.empty()) return state.SkipWithError("no bench cloud");
  const std::vector<AcGePoint3d> positions = QueryPositions(*views[0].data);
  size_t i = 0, found = 0;
  for (auto _ : state) {
    const AcGePoint3d& p = positions[i++ % kQueryPositions];
    double z = 0.0;
    found += GroundElevationAt(views, p.x, p.y, z);
    benchmark::DoNotOptimize(z);
  }
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GroundElevationAt)->Unit(benchmark::kNanosecond);

void BM_NearestCloudPoint(benchmark::State& state) {
  const CloudViews& views = BenchViews();
  if (views.empty()) return state.SkipWithError("no bench cloud");
  const std::vector<AcGePoint3d> positions = QueryPositions(*views[0].data);
  // The first pass builds the grids of the chunks it reaches (all of them): timed apart.
  const std::clock_t warmStart = std::clock();
  for (const AcGePoint3d& p : positions) {
    CloudPointHit hit;
    benchmark::DoNotOptimize(NearestCloudPoint(views, p, kNearestSearchRadius, hit));
  }
  state.counters["first_pass_cpu_s"] = static_cast<double>(std::clock() - warmStart) / CLOCKS_PER_SEC;
  size_t i = 0, found = 0;
  for (auto _ : state) {
    CloudPointHit hit;
    found += NearestCloudPoint(views, positions[i++ % kQueryPositions], kNearestSearchRadius, hit);
    benchmark::DoNotOptimize(hit);
  }
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_NearestCloudPoint)->Unit(benchmark::kMicrosecond);

// Every visible point of the bench cloud, decoded, as the corridor profile gathers them.
struct Candidates {
  std::vector<double> x, y, z;
};

const Candidates& BenchCandidates() {
  static const Candidates candidates = [] {
    Candidates c;
    const CloudViews& views = BenchViews();
    if (views.empty()) return c;
    const KmqData& data = *views[0].data;
    for (size_t i = 0; i < data.pointCount; ++i) {
      if (!IsVisibleAt(views[0], i)) continue;
      c.x.push_back(DecodeX(data, data.points[i]));
      c.y.push_back(DecodeY(data, data.points[i]));
      c.z.push_back(DecodeZ(data, data.points[i]));
    }
    return c;
  }();
  return candidates;
}

// A centreline across the square in three legs, sampled every half step, long enough for
// 1,000 stations; `stations` cuts it to the first stations only.
struct Centreline {
  std::vector<double> x, y;
};

Centreline BenchCentreline(size_t stations) {
  const KmqData& data = *BenchViews()[0].data;
  const double x0 = data.originX, y0 = data.originY, side = data.sizeX;
  const double corners[][2] = {{0.05, 0.1}, {0.9, 0.6}, {0.2, 0.8}, {0.95, 0.95}};
  Centreline line;
  const double spacing = kCorridorStep / 2, wanted = kCorridorStep * (stations - 1);
  double length = 0.0;
  for (int leg = 1; leg < 4 && length <= wanted; ++leg) {
    const double ax = x0 + corners[leg - 1][0] * side, ay = y0 + corners[leg - 1][1] * side;
    const double bx = x0 + corners[leg][0] * side, by = y0 + corners[leg][1] * side;
    const double d = std::hypot(bx - ax, by - ay);
    for (double s = line.x.empty() ? 0.0 : spacing; s <= d && length + s <= wanted + 1e-9; s += spacing) {
      line.x.push_back(ax + (bx - ax) * s / d);
      line.y.push_back(ay + (by - ay) * s / d);
    }
    length += d;
  }
  return line;
}

void BM_CorridorStationsIndexed(benchmark::State& state) {
  if (BenchViews().empty()) return state.SkipWithError("no bench cloud");
  const Candidates& c = BenchCandidates();
  const Centreline line = BenchCentreline(1000);
  size_t stations = 0;
  for (auto _ : state) {
    CorridorResult result =
        BuildCorridorStations({line.x, line.y}, kCorridorStep, kCorridorHalfWidth, {c.x, c.y, c.z}, StationElevation::Median);
    stations = result.stations.size();
    benchmark::DoNotOptimize(result);
  }
  state.counters["candidates"] = static_cast<double>(c.x.size());
  state.counters["stations"] = static_cast<double>(stations);
}
BENCHMARK(BM_CorridorStationsIndexed)->Unit(benchmark::kMillisecond);

// The direct scan on the first stations only; "cpu_s_for_1000_stations" scales its CPU time up.
void BM_CorridorStationsScanSampled(benchmark::State& state) {
  if (BenchViews().empty()) return state.SkipWithError("no bench cloud");
  const Candidates& c = BenchCandidates();
  const Centreline line = BenchCentreline(kScanStations);
  double seconds = 0.0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    CorridorResult result = BuildCorridorStationsByScan({line.x, line.y}, kCorridorStep, kCorridorHalfWidth,
                                                        {c.x, c.y, c.z}, StationElevation::Median);
    benchmark::DoNotOptimize(result);
    seconds += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  }
  state.counters["cpu_s_for_1000_stations"] = seconds / static_cast<double>(state.iterations()) * 1000.0 / kScanStations;
}
BENCHMARK(BM_CorridorStationsScanSampled)->Unit(benchmark::kMillisecond)->Iterations(2);

// The Points source of the surface command: gathering the ground points, then the TIN.
void BM_SurfacePointsVertices(benchmark::State& state) {
  const CloudViews& views = BenchViews();
  if (views.empty()) return state.SkipWithError("no bench cloud");
  size_t count = 0;
  for (auto _ : state) {
    std::vector<double> vertices;
    AppendSurfaceVertices(views[0], SurfaceSource::Points, vertices);
    count = vertices.size() / 3;
    benchmark::DoNotOptimize(vertices);
  }
  state.counters["vertices"] = static_cast<double>(count);
}
BENCHMARK(BM_SurfacePointsVertices)->Unit(benchmark::kMillisecond);

void BM_SurfacePointsWithTin(benchmark::State& state) {
  const CloudViews& views = BenchViews();
  if (views.empty()) return state.SkipWithError("no bench cloud");
  pelvarhost::SetHostHasCivil(true);
  for (auto _ : state) {
    AcDbDatabase database;
    acdbHostApplicationServices()->setWorkingDatabase(&database);
    std::vector<double> vertices;
    AppendSurfaceVertices(views[0], SurfaceSource::Points, vertices);
    std::wstring text;
    if (!Civil_CreateTinSurface(L"EG", L"bench", vertices.data(), vertices.size() / 3, text))
      state.SkipWithError("surface failed");
    // The surface triangulates when first asked for its faces: count them.
    VisitModelSpaceEntities(&database, [&state](const AcDbEntity& entity) {
      if (const AeccDbSurfaceTin* surface = AeccDbSurfaceTin::cast(&entity))
        state.counters["triangles"] = static_cast<double>(surface->faceCount());
      return true;
    });
    state.counters["vertices"] = static_cast<double>(vertices.size() / 3);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
}
BENCHMARK(BM_SurfacePointsWithTin)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
