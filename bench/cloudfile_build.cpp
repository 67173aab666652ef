// Building a 20,000,000-point KMQ2 image, and generating the sample cloud it is built from.
#include <benchmark/benchmark.h>

#include "bench/cloudfile_bench_data.h"
#include "cloudfile/CloudWriter.h"

namespace {

const SampleCloud& BenchCloud() {
  static const SampleCloud cloud = GenerateSampleCloud(cloudfile_bench::BenchRequest());
  return cloud;
}

void BM_BuildCloudFile(benchmark::State& state) {
  const SampleCloud& c = BenchCloud();
  const SampleCloudRequest request = cloudfile_bench::BenchRequest();
  for (auto _ : state) {
    std::vector<uint8_t> file = BuildSampleKmq2(request, c);
    benchmark::DoNotOptimize(file.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(c.x.size()));
}
BENCHMARK(BM_BuildCloudFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GenerateSampleCloud(benchmark::State& state) {
  for (auto _ : state) {
    SampleCloud cloud = GenerateSampleCloud(cloudfile_bench::BenchRequest());
    benchmark::DoNotOptimize(cloud.x.data());
  }
  state.SetItemsProcessed(state.iterations() * int64_t{cloudfile_bench::kBenchPoints});
}
BENCHMARK(BM_GenerateSampleCloud)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
