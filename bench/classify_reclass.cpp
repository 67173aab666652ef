// One rectangle edit on a 20,000,000-point cloud that already holds 50 edits, against one
// plain scan of the point records and against rebuilding the overrides from scratch.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/cloudfile_bench_data.h"
#include "classify/ClassOverrides.h"
#include "classify/ReclassEdits.h"
#include "entity/Pelvar.h"
#include "wideutf8.h"

namespace {

constexpr int kEarlierEdits = 50;
constexpr double kEditSide = 300.0;  // a tenth of the tile's side

struct Corners {
  double x1, y1, x2, y2;
  uint8_t cls;
};

// Rectangles over the tile, made the same way every run.
class RectangleSource {
 public:
  explicit RectangleSource(const KmqData& data) : data_(data) {}
  Corners Next() {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double x = data_.originX + u(random_) * (data_.sizeX - kEditSide);
    const double y = data_.originY + u(random_) * (data_.sizeY - kEditSide);
    return {x + kEditSide, y, x, y + kEditSide, static_cast<uint8_t>(random_() % 20)};
  }

 private:
  const KmqData& data_;
  std::mt19937_64 random_{50};
};

// The benchmark cloud with 50 edits and its overrides up to date.
Pelvar& EditedCloud(RectangleSource*& rectangles) {
  static Pelvar* cloud = nullptr;
  static RectangleSource* source = nullptr;
  if (cloud == nullptr) {
    cloud = new Pelvar();
    cloud->setCloudPath(pelvarhost::Utf8ToWide(cloudfile_bench::BenchFile()));
    KmqDataPtr data = cloud->CloudData();
    if (!data) std::fprintf(stderr, "the benchmark cloud cannot be loaded\n");
    source = new RectangleSource(*data);
    for (int k = 0; k < kEarlierEdits; ++k) {
      Corners c = source->Next();
      cloud->appendReclassEdit(ReclassEdit{std::min(c.x1, c.x2), std::min(c.y1, c.y2), std::max(c.x1, c.x2),
                                           std::max(c.y1, c.y2), c.cls});
    }
    cloud->setOverridesDirty(true);
    cloud->ClassOverrides();
  }
  rectangles = source;
  return *cloud;
}

// One pass over the point records that reads every record.
void BM_PlainScanOfThePoints(benchmark::State& state) {
  RectangleSource* unused = nullptr;
  KmqDataPtr data = EditedCloud(unused).CloudData();
  for (auto _ : state) {
    uint64_t sum = 0;
    for (const KmqPoint& p : data->points) sum += p.qx + p.cls;
    benchmark::DoNotOptimize(sum);
  }
  state.counters["points"] = static_cast<double>(data->pointCount);
}
BENCHMARK(BM_PlainScanOfThePoints)->Unit(benchmark::kMillisecond);

void BM_OneMoreEdit(benchmark::State& state) {
  RectangleSource* rectangles = nullptr;
  Pelvar& cloud = EditedCloud(rectangles);
  uint64_t changed = 0;
  for (auto _ : state) {
    Corners c = rectangles->Next();
    changed += AddReclassEdit(cloud, c.x1, c.y1, c.x2, c.y2, c.cls);
  }
  state.counters["changed"] = benchmark::Counter(static_cast<double>(changed), benchmark::Counter::kAvgIterations);
  state.counters["edits"] = static_cast<double>(cloud.reclassEdits().size());
}
BENCHMARK(BM_OneMoreEdit)->Unit(benchmark::kMillisecond);

// What every edit cost before: the whole array again, one pass per stored edit.
void BM_RebuildWithFiftyOneEdits(benchmark::State& state) {
  RectangleSource* unused = nullptr;
  Pelvar& cloud = EditedCloud(unused);
  KmqDataPtr data = cloud.CloudData();
  std::vector<ReclassEdit> edits(cloud.reclassEdits().begin(), cloud.reclassEdits().begin() + kEarlierEdits);
  edits.push_back(edits.front());
  ClassOverrideArray overrides;
  for (auto _ : state) {
    ComputeClassOverrides(*data, edits, false, overrides);
    benchmark::DoNotOptimize(overrides.data());
  }
}
BENCHMARK(BM_RebuildWithFiftyOneEdits)->Unit(benchmark::kMillisecond);

}  // namespace
