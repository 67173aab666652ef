// A regeneration of a 1600 x 1000 view through the host's renderer holding a TIN surface of
// about 4,000,000 triangles over the 20,000,000-point sample cloud: at the extent of the
// cloud and zoomed in eight (and 32) times on its centre. What the views need of the surface
// (its outline; its triangulation and edge grid once a view shows edges) is built by the
// first regenerations, outside the timing (their times are the counters first_full_s and
// first_edges_s), and kept, as it is between regenerations in use. Each view is warmed up
// first: the cloud's display gives back its sorting room after many small passes (at the
// full extent) and asks for it again at the next large one. The same views without
// the cloud give the surface's own share.
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <vector>

#include "aeccdb.h"
#include "bench/cloudfile_bench_data.h"
#include "dbsymtb.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "hostrender.h"
#include "wideutf8.h"

namespace {

constexpr int kViewWidth = 1600, kViewHeight = 1000;
constexpr double kZoomMargin = 1.06;       // the attach zoom's 3 % on each side
constexpr std::size_t kSurfaceVertices = 2'000'000;  // a planar TIN has about twice as many triangles
constexpr double kEdgeZoom = 32.0;  // the first zoom at which the surface's edges are drawn

AcDbObjectId AppendToModelSpace(AcDbDatabase& database, AcDbEntity* entity) {
  AcDbObjectId id;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, database.modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return id;
  space->appendAcDbEntity(id, entity);
  entity->close();
  space->close();
  return id;
}

// Terrain-like vertices over the cloud's square, seeded.
AeccDbSurfaceTin* SurfaceOver(const KmqData& cloud) {
  std::mt19937_64 random(2027);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<AcGePoint3d> vertices;
  vertices.reserve(kSurfaceVertices);
  for (std::size_t i = 0; i < kSurfaceVertices; ++i) {
    const double x = cloud.originX + u(random) * cloud.sizeX, y = cloud.originY + u(random) * cloud.sizeY;
    vertices.emplace_back(x, y, 800.0 + 0.01 * (x - cloud.originX));
  }
  auto* surface = new AeccDbSurfaceTin();
  surface->addVertices(vertices);
  return surface;
}

struct Scene {
  AcDbDatabase database;
  KmqDataPtr data;
  AcDbObjectId surface;
  double firstFullSeconds = 0;   // the first regeneration at full extent (the outline)
  double firstEdgesSeconds = 0;  // the first one that shows edges (triangulation and edge grid)
};

pelvarhost::ViewRecord ViewAt(const KmqData& data, double zoom) {
  return {data.originX + 0.5 * data.sizeX, data.originY + 0.5 * data.sizeY, kZoomMargin * data.sizeY / zoom};
}

double SecondsToRegen(Scene& scene, double zoom) {
  const auto start = std::chrono::steady_clock::now();
  pelvarhost::RenderView(scene.database, ViewAt(*scene.data, zoom), kViewWidth, kViewHeight);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The surface over the cloud's square, with the cloud in the drawing or without it.
Scene* MakeScene(bool withCloud) {
  RegisterPelvarClass();  // as the module's load does, so that the drawing can hold the entity
  auto* made = new Scene();
  auto* cloud = new Pelvar();
  cloud->setCloudPath(pelvarhost::Utf8ToWide(cloudfile_bench::BenchFile()));
  cloud->setClassMask(0xFFFFFFFF);
  made->data = cloud->CloudData();
  if (!made->data || !withCloud)
    delete cloud;
  else
    AppendToModelSpace(made->database, cloud);
  if (!made->data) return made;
  made->surface = AppendToModelSpace(made->database, SurfaceOver(*made->data));
  made->firstFullSeconds = SecondsToRegen(*made, 1.0);
  made->firstEdgesSeconds = SecondsToRegen(*made, kEdgeZoom);
  return made;
}

// The surface's triangle count; asking for it triangulates.
double TriangleCount(const Scene& scene) {
  AeccDbSurfaceTin* surface = nullptr;
  if (acdbOpenObject(surface, scene.surface, AcDb::kForRead) != Acad::eOk) return 0;
  const auto count = static_cast<double>(surface->faceCount());
  surface->close();
  return count;
}

void Regen(benchmark::State& state, double zoom, bool withCloud) {
  static Scene* scenes[2] = {};
  Scene*& kept = scenes[withCloud ? 1 : 0];
  if (kept == nullptr) kept = MakeScene(withCloud);
  Scene& scene = *kept;
  if (!scene.data) return state.SkipWithError("no cloud");
  const pelvarhost::ViewRecord view = ViewAt(*scene.data, zoom);
  pelvarhost::RenderStats stats;
  for (auto _ : state) {
    stats = {};
    pelvarhost::RasterImage image = pelvarhost::RenderView(scene.database, view, kViewWidth, kViewHeight, &stats);
    benchmark::DoNotOptimize(image.rgb.data());
  }
  state.counters["triangles"] = TriangleCount(scene);
  state.counters["first_full_s"] = scene.firstFullSeconds;
  state.counters["first_edges_s"] = scene.firstEdgesSeconds;
  state.counters["points"] = static_cast<double>(stats.points);
  state.counters["segments"] = static_cast<double>(stats.polylineSegments);
}

void BM_RegenSurfaceAndCloudFullExtent(benchmark::State& state) { Regen(state, 1.0, true); }
void BM_RegenSurfaceAndCloudZoomedIn8x(benchmark::State& state) { Regen(state, 8.0, true); }
// Close enough that the triangle edges themselves are drawn.
void BM_RegenSurfaceAndCloudZoomedIn32x(benchmark::State& state) { Regen(state, kEdgeZoom, true); }
// The surface's own share: the same views without the cloud.
void BM_RegenSurfaceFullExtent(benchmark::State& state) { Regen(state, 1.0, false); }
void BM_RegenSurfaceZoomedIn8x(benchmark::State& state) { Regen(state, 8.0, false); }
void BM_RegenSurfaceZoomedIn32x(benchmark::State& state) { Regen(state, kEdgeZoom, false); }

BENCHMARK(BM_RegenSurfaceAndCloudFullExtent)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenSurfaceAndCloudZoomedIn8x)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenSurfaceAndCloudZoomedIn32x)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenSurfaceFullExtent)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenSurfaceZoomedIn8x)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenSurfaceZoomedIn32x)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);

}  // namespace
