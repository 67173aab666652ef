// Loading a 20,000,000-point KMQ2 file against a plain read of the same file into one buffer.
// Both run from the page cache; compare their times in the same run.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/cloudfile_bench_data.h"
#include "cloudfile/CloudReader.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

void BM_PlainRead(benchmark::State& state) {
  const std::string& path = cloudfile_bench::BenchFile();
  for (auto _ : state) {
    FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    auto buffer = std::make_unique_for_overwrite<uint8_t[]>(size);
    size_t got = std::fread(buffer.get(), 1, size, file);
    std::fclose(file);
    benchmark::DoNotOptimize(buffer.get());
    if (got != size_t(size)) state.SkipWithError("short read");
    state.SetBytesProcessed(state.bytes_processed() + size);
  }
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadCloudFile(benchmark::State& state) {
  const std::wstring path = pelvarhost::Utf8ToWide(cloudfile_bench::BenchFile());
  double growthPerPoint = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ClearCloudCache();
    const long before = cloudfile_bench::ResidentBytes();
    state.ResumeTiming();
    KmqDataPtr image = LoadCloudFile(path);
    state.PauseTiming();
    if (!image) {
      state.SkipWithError("load failed");
      break;
    }
    growthPerPoint = double(cloudfile_bench::ResidentBytes() - before) / image->pointCount;
    image.reset();
    ClearCloudCache();
    state.ResumeTiming();
  }
  state.counters["resident_bytes_per_point"] = growthPerPoint;
}
BENCHMARK(BM_LoadCloudFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
