// The 20,000,000-point sample file the cloud file benchmarks share, made once per machine.
#pragma once
#include <cstdio>
#include <string>

#include "tools/samplegen/SampleCloud.h"

namespace cloudfile_bench {

inline constexpr uint32_t kBenchPoints = 20'000'000;
inline constexpr char kBenchFile[] = "/tmp/pelvar_bench_cloud_20m.kmt";

inline SampleCloudRequest BenchRequest() {
  SampleCloudRequest request;
  request.pointCount = kBenchPoints;
  request.seed = 20;
  request.side = 3000.0;
  request.tileName = "bench 20M";
  return request;
}

// Path of the benchmark file, generated if it is not there yet.
inline const std::string& BenchFile() {
  static const std::string path = [] {
    if (FILE* existing = std::fopen(kBenchFile, "rb")) {
      std::fclose(existing);
      return std::string(kBenchFile);
    }
    std::string error;
    if (!WriteSampleCloud(BenchRequest(), kBenchFile, false, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    return std::string(kBenchFile);
  }();
  return path;
}

// Resident memory of this process in bytes.
inline long ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * 4096;
}

}  // namespace cloudfile_bench
