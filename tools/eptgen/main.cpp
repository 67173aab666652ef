// eptgen FOLDER [POINTS [SEED]]: writes a generated Entwine Point Tile dataset (Web Mercator,
// near 40.0 N 77.0 W) into FOLDER, ready to be served as a survey of the archive.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/eptgen/EptDataset.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: eptgen FOLDER [POINTS [SEED]]\n");
    return 2;
  }
  size_t count = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 200000;
  auto seed = static_cast<std::uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1);
  eptgen::PlannedDataset dataset = eptgen::SceneDataset(seed, -77.0, 40.0, 2000.0, count, eptgen::DatasetOptions{}.capacity);
  std::string error;
  if (!eptgen::WriteDataset(dataset, argv[1], error)) {
    std::fprintf(stderr, "eptgen: %s\n", error.c_str());
    return 1;
  }
  std::printf("%zu points in %zu tiles written to %s\n", dataset.points.size(), dataset.nodes.size(), argv[1]);
  return 0;
}
