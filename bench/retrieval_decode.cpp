// Tile decoding: DecodeLazTile against a plain LASzip read loop over the same tile in memory,
// for a legacy (format 1) and a LAS 1.4 (format 6) tile of 200,000 points; and the CPU time
// of a tile decoded in this process against one decoded in the worker process (this
// thread's time plus the worker's), reported as each iteration's time.
#include <benchmark/benchmark.h>
#include <laszip/laszip_api.h>

#include <time.h>

#include <cmath>
#include <map>
#include <sstream>

#include "geo/Projections.h"
#include "lazworker/LazTile.h"
#include "retrieval/IsolatedLazDecoder.h"
#include "tools/eptgen/EptDataset.h"

namespace {

constexpr size_t kTilePoints = 200000;

const ByteBuffer& Tile(std::uint8_t format) {
  static std::map<std::uint8_t, ByteBuffer> tiles;
  auto& tile = tiles[format];
  if (tile.empty()) {
    double x = 0, y = 0;
    LonLatToWebMercator(-77.0, 40.0, x, y);
    std::vector<eptgen::ScenePoint> scene = eptgen::MakeScene(3, x, y, 1000.0, kTilePoints);
    eptgen::TileFormat tileFormat{format, static_cast<std::uint8_t>(format >= 6 ? 4 : 2), 0};
    tile = eptgen::EncodeLazTile(scene, tileFormat, 0.01, std::round(x), std::round(y), 200);
  }
  return tile;
}

void DecodeWithModule(benchmark::State& state) {
  const ByteBuffer& tile = Tile(static_cast<std::uint8_t>(state.range(0)));
  double sum = 0;
  std::wstring error;
  LazPointSink sink = [&sum](double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) {
    sum += x + y + z + cls + intensity;
  };
  for (auto _ : state) {
    if (!DecodeLazTile(tile, sink, error)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTilePoints));
}

// The same fields read straight from LASzip's point, over a standard string stream.
void DecodeWithPlainLaszip(benchmark::State& state) {
  const ByteBuffer& tile = Tile(static_cast<std::uint8_t>(state.range(0)));
  std::string bytes(tile.begin(), tile.end());
  bool extended = state.range(0) >= 6;
  double sum = 0;
  for (auto _ : state) {
    std::istringstream stream(bytes);
    laszip_POINTER reader = nullptr;
    laszip_BOOL compressed = 0;
    laszip_header* h = nullptr;
    laszip_point* p = nullptr;
    laszip_create(&reader);
    laszip_open_reader_stream(reader, stream, &compressed);
    laszip_get_header_pointer(reader, &h);
    laszip_get_point_pointer(reader, &p);
    for (size_t i = 0; i < kTilePoints; ++i) {
      laszip_read_point(reader);
      sum += p->X * h->x_scale_factor + h->x_offset + p->Y * h->y_scale_factor + h->y_offset +
             p->Z * h->z_scale_factor + h->z_offset + (extended ? p->extended_classification : p->classification) +
             p->intensity;
    }
    laszip_close_reader(reader);
    laszip_destroy(reader);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTilePoints));
}

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// This thread's CPU time, plus the worker's when there is one.
double SpentCpu(pid_t worker) {
  double spent = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  clockid_t workerClock{};
  if (worker > 0 && clock_getcpuclockid(worker, &workerClock) == 0) spent += CpuSeconds(workerClock);
  return spent;
}

void DecodeCpu(benchmark::State& state, bool isolated) {
  const ByteBuffer& tile = Tile(static_cast<std::uint8_t>(state.range(0)));
  double sum = 0;
  std::wstring error;
  LazPointSink sink = [&sum](double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) {
    sum += x + y + z + cls + intensity;
  };
  IsolatedLazDecoder decoder;
  auto decode = [&] { return isolated ? decoder.decode(tile, sink, error) : DecodeLazTile(tile, sink, error); };
  if (!decode()) state.SkipWithError("decode failed");  // the worker starts outside the timing
  for (auto _ : state) {
    double before = SpentCpu(decoder.workerPid());
    if (!decode()) state.SkipWithError("decode failed");
    state.SetIterationTime(SpentCpu(decoder.workerPid()) - before);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTilePoints));
}

void DecodeCpuInProcess(benchmark::State& state) { DecodeCpu(state, false); }
void DecodeCpuInWorker(benchmark::State& state) { DecodeCpu(state, true); }

}  // namespace

BENCHMARK(DecodeCpuInProcess)->Arg(1)->Arg(6)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeCpuInWorker)->Arg(1)->Arg(6)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeWithModule)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeWithPlainLaszip)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
