// The fetch's ground grid, its size and the file it is written into.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "retrieval/FetchGroundGrid.h"
#include "retrieval/FetchedCloud.h"
#include "tests/support/TempFolder.h"
#include "tests/support/pelvar_run.h"

namespace {

namespace fs = std::filesystem;

void AddPoint(EptFetchResult& r, double x, double y, double z, std::uint8_t cls) {
  r.x.push_back(x), r.y.push_back(y), r.z.push_back(z), r.classes.push_back(cls), r.intensities.push_back(0);
}

// The stated procedure, cell by cell over the whole grid in every pass.
std::vector<double> FillByFullPasses(std::vector<double> cells, int nx, int ny) {
  for (int pass = 0; pass < nx + ny; ++pass) {
    bool complete = true;
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        double& cell = cells[j * nx + i];
        if (!std::isnan(cell)) continue;
        double sum = 0;
        int count = 0;
        for (int v = j - 1; v <= j + 1; ++v)
          for (int u = i - 1; u <= i + 1; ++u)
            if (u >= 0 && v >= 0 && u < nx && v < ny && (u != i || v != j) && !std::isnan(cells[v * nx + u]))
              sum += cells[v * nx + u], ++count;
        if (count > 0)
          cell = sum / count;
        else
          complete = false;
      }
    if (complete) break;
  }
  return cells;
}

TEST(FetchGroundGrid, SizesFollowTheZonesUnitAndRoundHalvesAway) {
  const StatePlaneZone& feet = *FindZoneByEpsg(2272);
  const StatePlaneZone& metres = *FindZoneByEpsg(26996);
  GroundGridSize f = FetchGridSizeFor(feet, {0, 0, 2000, 1000});
  EXPECT_EQ(f.nx, 201);
  EXPECT_EQ(f.ny, 101);
  EXPECT_DOUBLE_EQ(f.cell, 10.0);
  GroundGridSize m = FetchGridSizeFor(metres, {0, 0, 1000, 500});
  EXPECT_EQ(m.nx, 329);
  EXPECT_EQ(m.ny, 165);
  EXPECT_DOUBLE_EQ(m.cell, 3.048);
  EXPECT_EQ(FetchGroundGridSize({0, 0, 15, 25}, 10).nx, 3);  // 1.5 rounds to 2
  EXPECT_EQ(FetchGroundGridSize({0, 0, 15, 25}, 10).ny, 4);  // 2.5 rounds to 3
  EXPECT_EQ(FetchGridSizeFor(feet, {0, 0, 660000, 600}).nx, 66001);
}

TEST(FetchGroundGrid, ACellKeepsItsLowestGroundAndAnIsolatedHoleTakesItsNeighboursMean) {
  EptFetchResult r;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i)
      if (i != 1 || j != 1) AddPoint(r, i * 10.0, j * 10.0, 100.0, 2);
  AddPoint(r, 0.4, 0.3, 101.2, 2);
  AddPoint(r, 0.2, 0.1, 99.7, 20);
  AddPoint(r, 0.1, 0.1, 50.0, 5);  // not ground
  AddPoint(r, 4.9, 20.0, 100.7, 2);
  AddPoint(r, 25.0, 25.0, 90.0, 2);  // beyond the last column and row: clamped into them
  std::vector<float> grid = BuildFetchGroundGrid(r, {0, 0, 20, 20}, {3, 3, 10});
  ASSERT_EQ(grid.size(), 9u);
  EXPECT_FLOAT_EQ(grid[0], 99.7f);
  EXPECT_FLOAT_EQ(grid[6], 100.0f);  // 100.0 and 100.7 fell there
  EXPECT_FLOAT_EQ(grid[8], 90.0f);
  EXPECT_FLOAT_EQ(grid[4], static_cast<float>((99.7 + 100 + 100 + 100 + 100 + 100 + 100 + 90) / 8));
}

TEST(FetchGroundGrid, WithoutGroundPointsThereIsNoGrid) {
  EptFetchResult r;
  AddPoint(r, 5, 5, 100, 6);
  AddPoint(r, 6, 6, 101, 1);
  EXPECT_TRUE(BuildFetchGroundGrid(r, {0, 0, 100, 100}, {11, 11, 10}).empty());
}

TEST(FetchGroundGrid, FillingMatchesPassesOverEveryCellOnSparseGrids) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 40; ++round) {
    int nx = 1 + static_cast<int>(rng() % 60), ny = 1 + static_cast<int>(rng() % 60);
    int points = 1 + static_cast<int>(rng() % 12);
    EptFetchResult r;
    std::vector<double> binned(static_cast<size_t>(nx) * ny, NAN);
    for (int p = 0; p < points; ++p) {
      int i = static_cast<int>(rng() % nx), j = static_cast<int>(rng() % ny);
      double z = 100 + static_cast<double>(rng() % 1000) / 10;
      AddPoint(r, i * 10.0, j * 10.0, z, 2);
      double& cell = binned[j * nx + i];
      if (std::isnan(cell) || cell > z) cell = z;
    }
    std::vector<double> expected = FillByFullPasses(binned, nx, ny);
    std::vector<float> grid = BuildFetchGroundGrid(r, {0, 0, (nx - 1) * 10.0, (ny - 1) * 10.0}, {nx, ny, 10});
    ASSERT_EQ(grid.size(), expected.size());
    for (size_t c = 0; c < grid.size(); ++c) ASSERT_EQ(grid[c], static_cast<float>(expected[c])) << round << " " << c;
  }
}

TEST(FetchedCloud, NamesLabelsAndFreeNames) {
  EXPECT_EQ(FetchFileName(2178617.4, 243749.6, 1), L"KMT_fetch_2178617_243750.kmt");
  EXPECT_EQ(FetchFileName(2178617.4, 243749.6, 3), L"KMT_fetch_2178617_243750_3.kmt");
  EXPECT_EQ(FetchLabel(-77.0049, 40.0051), "FE40.01_77.00");
  EXPECT_EQ(FetchLabel(-177.123, -45.678), "FE45.68_177.12");
  EXPECT_EQ(FetchLabel(-123456.0, 12345.0).size(), 16u);

  pelvartest::TempFolder folder("fetchname");
  std::wstring dir = folder.path().wstring() + L"/";
  std::ofstream(folder / "KMT_fetch_1_2.kmt") << "earlier";
  std::wstring failed;
  std::vector<std::uint8_t> image = {1, 2, 3};
  EXPECT_EQ(WriteFetchedCloud(dir, 1, 2, image, failed), dir + L"KMT_fetch_1_2_2.kmt");
  EXPECT_EQ(WriteFetchedCloud(dir, 1, 2, image, failed), dir + L"KMT_fetch_1_2_3.kmt");
  EXPECT_EQ(pelvartest::ReadWholeFile(folder / "KMT_fetch_1_2.kmt"), "earlier");
  EXPECT_EQ(pelvartest::ReadWholeFile(folder / "KMT_fetch_1_2_3.kmt"), "\x01\x02\x03");
  EXPECT_EQ(WriteFetchedCloud(dir + L"missing/", 1, 2, image, failed), L"");
  EXPECT_EQ(failed, dir + L"missing/KMT_fetch_1_2.kmt");
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 3u);  // no temporary file left
}

}  // namespace
