// Undo and redo of one rectangle edit on a 20,000,000-point cloud that holds 50 earlier
// edits, through the drawing's undo history (the entity's own filing), each followed by
// what drawing the cloud next asks for: its override classes, up to date.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/cloudfile_bench_data.h"
#include "classify/ReclassEdits.h"
#include "dbsymtb.h"
#include "dbundo.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "wideutf8.h"

namespace {

constexpr int kEarlierEdits = 50;
constexpr double kEditSide = 300.0;  // a tenth of the tile's side

struct UndoBench {
  AcDbDatabase database;
  AcDbObjectId cloudId;
  std::mt19937_64 random{24};
};

// One rectangle edit as a command makes it: one undo group.
void EditOnce(UndoBench& bench) {
  const pelvarhost::UndoGroupSpan group(L"PELVARRECLASS");
  Pelvar* cloud = nullptr;
  if (acdbOpenObject(cloud, bench.cloudId, AcDb::kForWrite) != Acad::eOk) return;
  KmqDataPtr data = cloud->CloudData();
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const double x = data->originX + u(bench.random) * (data->sizeX - kEditSide);
  const double y = data->originY + u(bench.random) * (data->sizeY - kEditSide);
  AddReclassEdit(*cloud, x, y, x + kEditSide, y + kEditSide, static_cast<uint8_t>(bench.random() % 20));
  cloud->close();
}

// The override classes as the next drawing of the cloud takes them.
void TakeOverrides(const UndoBench& bench) {
  Pelvar* cloud = nullptr;
  if (acdbOpenObject(cloud, bench.cloudId, AcDb::kForRead) != Acad::eOk) return;
  benchmark::DoNotOptimize(cloud->ClassOverrides());
  cloud->close();
}

UndoBench& Bench() {
  static UndoBench* bench = [] {
    RegisterPelvarClass();
    auto* made = new UndoBench();
    auto* cloud = new Pelvar();
    cloud->setCloudPath(pelvarhost::Utf8ToWide(cloudfile_bench::BenchFile()));
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, made->database.modelSpaceId(), AcDb::kForWrite);
    space->appendAcDbEntity(made->cloudId, cloud);
    space->close();
    cloud->close();
    for (int k = 0; k < kEarlierEdits; ++k) EditOnce(*made);
    TakeOverrides(*made);
    return made;
  }();
  return *bench;
}

void BM_UndoOneReclassEdit(benchmark::State& state) {
  UndoBench& bench = Bench();
  for (auto _ : state) {
    state.PauseTiming();
    EditOnce(bench);
    state.ResumeTiming();
    pelvarhost::UndoGroups(bench.database, 1);
    TakeOverrides(bench);
  }
}
BENCHMARK(BM_UndoOneReclassEdit)->Unit(benchmark::kMillisecond);

void BM_RedoOneReclassEdit(benchmark::State& state) {
  UndoBench& bench = Bench();
  for (auto _ : state) {
    state.PauseTiming();
    EditOnce(bench);
    pelvarhost::UndoGroups(bench.database, 1);
    TakeOverrides(bench);
    state.ResumeTiming();
    pelvarhost::RedoGroups(bench.database, 1);
    TakeOverrides(bench);
  }
}
BENCHMARK(BM_RedoOneReclassEdit)->Unit(benchmark::kMillisecond);

}  // namespace
