// Importing a LAZ file (LAS 1.4, point format 6, in the drawing's zone) against a plain
// LASzip read loop plus the cloud file made and written from its points, for 5,000,000 and
// 20,000,000 points. The import's steps run with the decode in the sandboxed decoder program
// (as PELVARIMPORT does) and, for comparison, in this process. Files are made once under the
// build folder.
#include <benchmark/benchmark.h>
#include <laszip/laszip_api.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "app/WholeFile.h"
#include "geo/StatePlaneZone.h"
#include "lasio/FileSystem.h"
#include "lasio/ImportFile.h"
#include "lasio/LasDecode.h"
#include "lasio/LasFile.h"
#include "lasio/ZonePlan.h"
#include "lazworker/LazTile.h"
#include "retrieval/FetchedCloud.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kZoneEpsg = 2269;
constexpr double kSide = 10000.0;  // feet
constexpr double kScale = 0.01;
const fs::path kFolder = fs::path(PELVAR_BUILD_DIR) / "bench-data";

fs::path SourceFile(std::uint64_t kPoints) {
  fs::create_directories(kFolder);
  fs::path file = kFolder / ("import-" + std::to_string(kPoints) + ".laz");
  {
    if (fs::exists(file)) return file;
    std::string keys;
    for (std::uint16_t v : {1, 1, 0, 1, 3072, 0, 1, 2269}) keys.append(reinterpret_cast<const char*>(&v), 2);
    laszip_POINTER w = nullptr;
    laszip_create(&w);
    laszip_header* h = nullptr;
    laszip_get_header_pointer(w, &h);
    h->version_minor = 4, h->header_size = 375, h->offset_to_point_data = 375;
    h->point_data_format = 6, h->point_data_record_length = 30;
    h->extended_number_of_point_records = kPoints;
    h->x_scale_factor = h->y_scale_factor = h->z_scale_factor = kScale;
    h->x_offset = 7640000, h->y_offset = 680000, h->z_offset = 0;
    h->min_x = 7640000, h->max_x = 7640000 + kSide, h->min_y = 680000, h->max_y = 680000 + kSide;
    h->min_z = 0, h->max_z = 300;
    laszip_add_vlr(w, "LASF_Projection", 34735, static_cast<laszip_U16>(keys.size()), "keys",
                   reinterpret_cast<const laszip_U8*>(keys.data()));
    laszip_request_native_extension(w, 1);
    fs::path partial = file.string() + ".partial";
    laszip_open_writer(w, partial.c_str(), 1);
    laszip_point* p = nullptr;
    laszip_get_point_pointer(w, &p);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> along(0.0, kSide);
    for (std::uint64_t i = 0; i < kPoints; ++i) {
      double x = along(random), y = along(random);
      p->X = static_cast<laszip_I32>(x / kScale), p->Y = static_cast<laszip_I32>(y / kScale);
      p->Z = static_cast<laszip_I32>((100 + 20 * std::sin(x / 700) + 10 * std::cos(y / 500)) / kScale);
      p->extended_classification = i % 3 == 0 ? 2 : 6;
      p->classification = p->extended_classification;
      p->extended_return_number = 1, p->extended_number_of_returns = 1;
      p->intensity = static_cast<laszip_U16>(i);
      laszip_write_point(w);
    }
    laszip_close_writer(w);
    laszip_destroy(w);
    fs::rename(partial, file);
  }
  return file;
}

const StatePlaneZone& Zone() { return *FindZoneByEpsg(kZoneEpsg); }

void WriteCloud(const EptFetchResult& points, const std::string& name) {
  ZoneRectangle rect = BoundsOf(points);
  std::vector<std::uint8_t> image = BuildGroundedCloudImage(points, rect, ImportGridSize(Zone(), rect), name, kZoneEpsg);
  if (!WriteWholeFile((kFolder / (name + ".kmt")).wstring(), image)) throw std::runtime_error("write failed");
}

// The import's own steps, as PELVARIMPORT runs them once the zone is settled.
bool DecodeInProcess(const ByteBuffer& bytes, EptFetchResult& points, std::wstring& error) {
  return DecodeLazTile(
      bytes,
      [&points](double x, double y, double z, std::uint8_t cls, std::uint16_t intensity) {
        points.x.push_back(x), points.y.push_back(y), points.z.push_back(z);
        points.classes.push_back(cls), points.intensities.push_back(intensity);
      },
      error);
}

void ImportFileSteps(benchmark::State& state) {
  const std::uint64_t kPoints = static_cast<std::uint64_t>(state.range(0));
  const bool isolated = state.range(1) != 0;
  const fs::path source = SourceFile(kPoints);
  for (auto _ : state) {
    ByteBuffer bytes;
    ReadWholeFileBytes(source.wstring(), std::uint64_t{8} << 30, bytes);
    std::optional<LasFileFacts> facts = ReadLasFileFacts(bytes);
    std::wstring error;
    std::optional<FileSystem> system = ReadFileSystem(SystemNamedBy(*facts), error);
    std::optional<ZonePlan> plan = PlanIntoZone(*system, Zone(), error);
    EptFetchResult points;
    if (!(isolated ? DecodeLasPoints(bytes, points, error) : DecodeInProcess(bytes, points, error))) {
      state.SkipWithError(std::string(error.begin(), error.end()).c_str());
      break;
    }
    ByteBuffer().swap(bytes);
    MapPoints(*plan, points.x.data(), points.y.data(), points.z.data(), points.x.size());
    WriteCloud(points, "imported");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

// A plain LASzip loop into the columns, then the same cloud file.
void PlainLaszipLoop(benchmark::State& state) {
  const std::uint64_t kPoints = static_cast<std::uint64_t>(state.range(0));
  const fs::path source = SourceFile(kPoints);
  for (auto _ : state) {
    laszip_POINTER reader = nullptr;
    laszip_BOOL compressed = 0;
    laszip_create(&reader);
    laszip_open_reader(reader, source.c_str(), &compressed);
    laszip_header* h = nullptr;
    laszip_point* p = nullptr;
    laszip_get_header_pointer(reader, &h);
    laszip_get_point_pointer(reader, &p);
    EptFetchResult points;
    std::uint64_t n = h->extended_number_of_point_records;
    points.x.reserve(n), points.y.reserve(n), points.z.reserve(n), points.classes.reserve(n), points.intensities.reserve(n);
    for (std::uint64_t i = 0; i < n; ++i) {
      laszip_read_point(reader);
      points.x.push_back(p->X * h->x_scale_factor + h->x_offset);
      points.y.push_back(p->Y * h->y_scale_factor + h->y_offset);
      points.z.push_back(p->Z * h->z_scale_factor + h->z_offset);
      points.classes.push_back(p->extended_classification);
      points.intensities.push_back(p->intensity);
    }
    laszip_close_reader(reader);
    laszip_destroy(reader);
    WriteCloud(points, "plain");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

}  // namespace

// Arguments: points, and 1 for the sandboxed decoder (0: in this process).
BENCHMARK(ImportFileSteps)->Args({5000000, 1})->Args({5000000, 0})->Args({20000000, 1})->Args({20000000, 0})
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PlainLaszipLoop)->Arg(5000000)->Arg(20000000)->Unit(benchmark::kMillisecond)->Iterations(3);
