// One viewport pass of the cloud display over a 20,000,000-point sample: at full extent in
// a 1600 x 1000 view, and zoomed in eight times. The counter "points" is what the pass
// handed to the graphics system.
#include <benchmark/benchmark.h>

#include "acgi.h"
#include "bench/cloudfile_bench_data.h"
#include "entity/Pelvar.h"
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

class FixedViewport final : public AcGiViewport {
 public:
  explicit FixedViewport(double ppu) : ppu_(ppu) {}
  void getNumPixelsInUnitSquare(const AcGePoint3d&, AcGePoint2d& area, bool) const override { area.set(ppu_, ppu_); }

 private:
  double ppu_;
};

class CountingDraw final : public AcGiViewportDraw {
 public:
  explicit CountingDraw(double ppu) : viewport_(ppu) {}
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

void ViewportPass(benchmark::State& state, double zoom) {
  Pelvar& cloud = BenchCloud();
  KmqDataPtr data = cloud.CloudData();
  if (!data) {
    state.SkipWithError("no cloud");
    return;
  }
  // The square fills the view's height with the attach margin; zoom multiplies the scale.
  double ppu = kViewPixelsHigh / (kZoomMargin * data->sizeY) * zoom;
  uint64_t drawn = 0;
  for (auto _ : state) {
    CountingDraw draw(ppu);
    cloud.viewportDraw(&draw);
    drawn = draw.drawn();
  }
  state.counters["points"] = static_cast<double>(drawn);
  state.counters["file_points"] = data->pointCount;
}

void BM_ViewportPassFullExtent(benchmark::State& state) { ViewportPass(state, 1.0); }
void BM_ViewportPassZoomedIn8x(benchmark::State& state) { ViewportPass(state, 8.0); }

BENCHMARK(BM_ViewportPassFullExtent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewportPassZoomedIn8x)->Unit(benchmark::kMillisecond);

}  // namespace
