// One viewport pass of the cloud display over a 20,000,000-point sample: at full extent in
// a 1600 x 1000 view, and zoomed in eight times on the cloud's centre. The counter "points"
// is what the pass handed to the graphics system. The entity's pass (ViewportPass...) is
// measured beside the same pass written point by point (PlainPass...), which draws the
// same calls; Regen... is the whole regeneration of a view through the host's renderer,
// its point drawing included. The entity keeps the points it sorted for the last pass and
// draws them again when nothing they follow from has changed (a redraw, a pan, a zoom at
// which every point is drawn already): the pass benchmarks and the ...AfterChange
// regenerations show and hide in turn a class no point holds, so that each pass sorts
// afresh, as after a zoom that draws more or fewer points.
#include <benchmark/benchmark.h>

#include "acgi.h"
#include "bench/cloudfile_bench_data.h"
#include "dbsymtb.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "hostrender.h"
#include "tests/module/display/PlainPass.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

constexpr double kViewPixelsHigh = 1000.0;
constexpr double kZoomMargin = 1.06;  // the attach zoom's 3 % on each side

// Counts what is drawn and keeps nothing.
class CountingGeometry final : public AcGiViewportGeometry {
 public:
  Adesk::Boolean polyline(const Adesk::UInt32, const AcGePoint3d*, const AcGeVector3d*, Adesk::LongPtr) const override {
    return Adesk::kFalse;
  }
  Adesk::Boolean polypoint(const Adesk::UInt32 n, const AcGePoint3d* points, const AcGeVector3d*,
                           const Adesk::LongPtr*) const override {
    drawn += n;
    benchmark::DoNotOptimize(points);
    return Adesk::kFalse;
  }
  Adesk::Boolean pushModelTransform(const AcGeMatrix3d&) override { return Adesk::kTrue; }
  Adesk::Boolean popModelTransform() override { return Adesk::kTrue; }
  AcGeMatrix3d getModelToWorldTransform() const override { return AcGeMatrix3d::kIdentity; }
  mutable uint64_t drawn = 0;
};

class NullTraits final : public AcGiSubEntityTraits {
 public:
  void setColor(const Adesk::UInt16) override {}
  void setTrueColor(const AcCmEntityColor&) override {}
  void setLayer(const AcDbObjectId) override {}
  void setFillType(const AcGiFillType) override {}
  Adesk::UInt16 color() const override { return 7; }
  AcCmEntityColor trueColor() const override { return {}; }
  AcDbObjectId layerId() const override { return {}; }
  AcGiFillType fillType() const override { return kAcGiFillNever; }
};

constexpr double kViewPixelsWide = 1600.0;

// A 1600 x 1000 plan view of the given scale centred on a point.
class FixedViewport final : public AcGiViewport {
 public:
  FixedViewport(double ppu, AcGePoint3d centre) : ppu_(ppu), centre_(centre) {}
  void getNumPixelsInUnitSquare(const AcGePoint3d&, AcGePoint2d& area, bool) const override { area.set(ppu_, ppu_); }
  void getWorldToEyeTransform(AcGeMatrix3d& xform) const override {
    xform = AcGeMatrix3d::translation(AcGeVector3d(-centre_.x, -centre_.y, 0));
  }
  void getViewportDcCorners(AcGePoint2d& lowerLeft, AcGePoint2d& upperRight) const override {
    lowerLeft.set(0, 0);
    upperRight.set(kViewPixelsWide, kViewPixelsHigh);
  }

 private:
  double ppu_;
  AcGePoint3d centre_;
};

class CountingDraw final : public AcGiViewportDraw {
 public:
  CountingDraw(double ppu, AcGePoint3d centre) : viewport_(ppu, centre) {}
  AcGiGeometry* rawGeometry() const override { return &geometry_; }
  AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
  AcGiSubEntityTraits& subEntityTraits() const override { return traits_; }
  AcGiViewportGeometry& geometry() const override { return geometry_; }
  AcGiViewport& viewport() const override { return viewport_; }
  uint64_t drawn() const { return geometry_.drawn; }

 private:
  mutable CountingGeometry geometry_;
  mutable NullTraits traits_;
  mutable FixedViewport viewport_;
};

Pelvar& BenchCloud() {
  static Pelvar* cloud = [] {
    auto* entity = new Pelvar();
    entity->setCloudPath(pelvarhost::Utf8ToWide(cloudfile_bench::BenchFile()));
    entity->setClassMask(0xFFFFFFFF);  // every point counts as visible
    if (!entity->CloudData()) std::fprintf(stderr, "the benchmark cloud cannot be loaded\n");
    return entity;
  }();
  return *cloud;
}

// The scale at which the square fills the view's height with the attach margin, times zoom.
double PixelsPerUnitAt(const KmqData& data, double zoom) { return kViewPixelsHigh / (kZoomMargin * data.sizeY) * zoom; }

// The class mask of the n-th pass: class 31, which no point of the sample holds, shown in
// every other one, so that no pass finds the points of the one before it.
uint32_t MaskOfPass(uint64_t n) { return n % 2 == 0 ? 0xFFFFFFFFu : 0x7FFFFFFFu; }

AcGePoint3d CloudCentre(const KmqData& data) {
  return {data.originX + 0.5 * data.sizeX, data.originY + 0.5 * data.sizeY, 0};
}

void ViewportPass(benchmark::State& state, double zoom) {
  Pelvar& cloud = BenchCloud();
  KmqDataPtr data = cloud.CloudData();
  if (!data) return state.SkipWithError("no cloud");
  uint64_t drawn = 0, passes = 0;
  for (auto _ : state) {
    cloud.setClassMask(MaskOfPass(passes++));
    CountingDraw draw(PixelsPerUnitAt(*data, zoom), CloudCentre(*data));
    cloud.viewportDraw(&draw);
    drawn = draw.drawn();
  }
  state.counters["points"] = static_cast<double>(drawn);
  state.counters["file_points"] = data->pointCount;
}

// The same pass point by point: what the entity's pass is measured against.
void PlainPass(benchmark::State& state, double zoom) {
  Pelvar& cloud = BenchCloud();
  KmqDataPtr data = cloud.CloudData();
  if (!data) return state.SkipWithError("no cloud");
  const DisplaySettings settings{{cloud.classMask(), false, 0, 0}, cloud.colorMode(), nullptr};
  uint64_t drawn = 0;
  for (auto _ : state) {
    const double ppu = PixelsPerUnitAt(*data, zoom);
    CountingDraw draw(ppu, CloudCentre(*data));
    plainpass::Buckets buckets;
    plainpass::Collect(*data, settings, ChunkPointBudget(*data, cloud.density(), ppu), buckets);
    plainpass::Draw(draw, buckets);
    drawn = draw.drawn();
  }
  state.counters["points"] = static_cast<double>(drawn);
}

// A regeneration of a 1600 x 1000 view through the host's renderer: the same view again,
// or after a change of what the cloud shows.
void Regen(benchmark::State& state, double zoom, bool afterChange) {
  Pelvar& bench = BenchCloud();
  KmqDataPtr data = bench.CloudData();
  if (!data) return state.SkipWithError("no cloud");
  RegisterPelvarClass();  // as the module's load does, so that the drawing can hold the entity
  AcDbDatabase database;
  auto* cloud = new Pelvar();
  cloud->setCloudPath(bench.cloudPath());
  cloud->setClassMask(bench.classMask());
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, database.modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return state.SkipWithError("no model space");
  AcDbObjectId cloudId;
  space->appendAcDbEntity(cloudId, cloud);
  cloud->close();
  space->close();
  const AcGePoint3d centre = CloudCentre(*data);
  const pelvarhost::ViewRecord view{centre.x, centre.y, kViewPixelsHigh / PixelsPerUnitAt(*data, zoom)};
  pelvarhost::RenderStats stats;
  uint64_t passes = 0;
  for (auto _ : state) {
    if (afterChange && acdbOpenObject(cloud, cloudId, AcDb::kForWrite) == Acad::eOk) {
      cloud->setClassMask(MaskOfPass(passes++));
      cloud->close();
    }
    stats = {};
    pelvarhost::RasterImage image =
        pelvarhost::RenderView(database, view, static_cast<int>(kViewPixelsWide), static_cast<int>(kViewPixelsHigh), &stats);
    benchmark::DoNotOptimize(image.rgb.data());
  }
  state.counters["points"] = static_cast<double>(stats.points);
}

void BM_ViewportPassFullExtent(benchmark::State& state) { ViewportPass(state, 1.0); }
void BM_PlainPassFullExtent(benchmark::State& state) { PlainPass(state, 1.0); }
void BM_ViewportPassZoomedIn8x(benchmark::State& state) { ViewportPass(state, 8.0); }
void BM_PlainPassZoomedIn8x(benchmark::State& state) { PlainPass(state, 8.0); }
void BM_RegenFullExtent(benchmark::State& state) { Regen(state, 1.0, false); }
void BM_RegenZoomedIn8x(benchmark::State& state) { Regen(state, 8.0, false); }
void BM_RegenFullExtentAfterChange(benchmark::State& state) { Regen(state, 1.0, true); }
void BM_RegenZoomedIn8xAfterChange(benchmark::State& state) { Regen(state, 8.0, true); }

BENCHMARK(BM_ViewportPassFullExtent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainPassFullExtent)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ViewportPassZoomedIn8x)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainPassZoomedIn8x)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegenFullExtent)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenZoomedIn8x)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenFullExtentAfterChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);
BENCHMARK(BM_RegenZoomedIn8xAfterChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MinWarmUpTime(1.0);

}  // namespace
