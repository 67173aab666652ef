// The registry file at 20,000 keys of 10 values each: read from disk and written back
// whole (the hive file a host reads at every registry call).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "regfile.h"

namespace {

constexpr int kKeys = 20000;
constexpr int kValuesPerKey = 10;

// A hive with the keys spread over a few levels, as applications' settings are.
pelvarhost::reg::Hive LargeHive() {
  pelvarhost::reg::Hive hive;
  for (int k = 0; k < kKeys; ++k) {
    const std::wstring path = L"HKEY_CURRENT_USER\\Software\\Vendor" + std::to_wstring(k % 50) + L"\\App" +
                              std::to_wstring(k / 50) + L"\\Settings" + std::to_wstring(k);
    pelvarhost::reg::Key& key = pelvarhost::reg::EnsureKey(hive, path, nullptr);
    for (int v = 0; v < kValuesPerKey; ++v) {
      const std::uint32_t data = static_cast<std::uint32_t>(k * kValuesPerKey + v);
      key.values.push_back({L"Value" + std::to_wstring(v), 4,
                            {static_cast<std::uint8_t>(data), static_cast<std::uint8_t>(data >> 8),
                             static_cast<std::uint8_t>(data >> 16), static_cast<std::uint8_t>(data >> 24)}});
    }
  }
  return hive;
}

void BM_RegistryReadAndWriteBack(benchmark::State& state) {
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("pelvar_bench_registry_" + std::to_string(::getpid()));
  ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  if (!pelvarhost::reg::SaveHive(LargeHive())) state.SkipWithError("cannot write the hive");
  for (auto _ : state) {
    pelvarhost::reg::Hive hive = pelvarhost::reg::LoadHive();
    if (!hive.damage.empty() || !pelvarhost::reg::SaveHive(hive)) state.SkipWithError("read or write failed");
  }
  state.counters["keys"] = kKeys;
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
}
BENCHMARK(BM_RegistryReadAndWriteBack)->Unit(benchmark::kMillisecond);

}  // namespace
