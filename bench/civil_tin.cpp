// A TIN of 1,000,000 vertices built in the host's civil model: through the bridge (one
// transaction, batches of 50000, Delaunay triangulation) and the triangulation alone.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "aeccdb.h"
#include "civil/CivilBridge.h"
#include "civilmodel.h"
#include "dbapserv.h"
#include "dbmain.h"
#include "hostcmdline.h"
#include "tintriangulation.h"

namespace {

constexpr std::size_t kVertexCount = 1000000;

// Terrain-like points, seeded: a rolling surface over a 10000 x 10000 foot tile.
std::vector<double> TerrainVertices(std::size_t count) {
  std::mt19937_64 random(20270);
  std::uniform_real_distribution<double> coordinate(0.0, 10000.0);
  std::vector<double> xyz;
  xyz.reserve(3 * count);
  for (std::size_t i = 0; i < count; ++i) {
    double x = coordinate(random), y = coordinate(random);
    xyz.insert(xyz.end(), {x, y, 500.0 + 0.01 * x - 0.02 * y});
  }
  return xyz;
}

void BM_CivilTinThroughBridge(benchmark::State& state) {
  const std::vector<double> xyz = TerrainVertices(kVertexCount);
  pelvarhost::SetHostHasCivil(true);
  for (auto _ : state) {
    AcDbDatabase database;
    acdbHostApplicationServices()->setWorkingDatabase(&database);
    std::wstring text;
    if (!Civil_CreateTinSurface(L"EG", L"bench", xyz.data(), kVertexCount, text)) state.SkipWithError("surface failed");
    // The surface triangulates when first asked for its faces: count them.
    AeccDbSurfaceTin* surface = nullptr;
    AcDbObjectId id = pelvarhost::civil::ModelSpaceIdsOf(&database, AeccDbSurfaceTin::desc()).front();
    if (acdbOpenObject(surface, id, AcDb::kForRead) == Acad::eOk) {
      state.counters["triangles"] = static_cast<double>(surface->faceCount());
      surface->close();
    }
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kVertexCount));
}
BENCHMARK(BM_CivilTinThroughBridge)->Unit(benchmark::kSecond)->Iterations(3);

void BM_CivilTinTriangulationOnly(benchmark::State& state) {
  const std::vector<double> xyz = TerrainVertices(kVertexCount);
  std::vector<AcGePoint3d> points;
  for (std::size_t i = 0; i < kVertexCount; ++i) points.emplace_back(xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
  for (auto _ : state) {
    pelvarhost::civil::TinTriangulation tin;
    tin.Add(points);
    benchmark::DoNotOptimize(tin.FaceCount());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kVertexCount));
}
BENCHMARK(BM_CivilTinTriangulationOnly)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
