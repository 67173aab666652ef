// Tile decoding: DecodeLazTile against a plain LASzip read loop over the same tile in memory,
// for a legacy (format 1) and a LAS 1.4 (format 6) tile of 200,000 points.
#include <benchmark/benchmark.h>
#include <laszip/laszip_api.h>

#include <cmath>
#include <map>
#include <sstream>

#include "geo/Projections.h"
#include "lazworker/LazTile.h"
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

}  // namespace

BENCHMARK(DecodeWithModule)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeWithPlainLaszip)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
