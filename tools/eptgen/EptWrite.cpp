// Writing a planned dataset: ept.json, the hierarchy pages and the tiles.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

#include "tools/eptgen/EptDataset.h"

namespace eptgen {

namespace {

auto Order(const EptNodeKey& k) { return std::make_tuple(k.d, k.x, k.y, k.z); }

EptNodeKey Ancestor(const EptNodeKey& k, int depth) {
  int up = k.d - depth;
  return {depth, k.x >> up, k.y >> up, k.z >> up};
}

std::string Number(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, end);
}

bool WriteWhole(const std::filesystem::path& path, const void* data, size_t size, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::filesystem::path partial = path.string() + ".partial." + std::to_string(getpid());
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot create " + partial.string();
    return false;
  }
  bool ok = std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
  ok = std::fclose(file) == 0 && ok;
  if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> HierarchyPages(const PlannedDataset& dataset) {
  const int step = std::max(1, dataset.options.pageStep);
  std::set<std::tuple<int, int, int, int>> withChildren;
  for (const PlannedNode& node : dataset.nodes)
    if (node.key.d > 0) withChildren.insert(Order(Ancestor(node.key, node.key.d - 1)));
  auto headsPage = [&](const EptNodeKey& k) {
    return k.d == 0 || (k.d % step == 0 && withChildren.count(Order(k)) > 0);
  };
  std::map<std::tuple<int, int, int, int>, std::string> pages;  // page head -> entries
  auto add = [&](const EptNodeKey& head, const EptNodeKey& key, long long value) {
    std::string& page = pages[Order(head)];
    page += page.empty() ? "{\n" : ",\n";
    page += "  \"" + key.text() + "\": " + std::to_string(value);
  };
  for (const PlannedNode& node : dataset.nodes) {
    long long count = static_cast<long long>(node.points.size());
    if (node.key.d == 0) {
      add(node.key, node.key, count);
      continue;
    }
    int ownerDepth = node.key.d - 1;
    while (ownerDepth > 0 && !headsPage(Ancestor(node.key, ownerDepth))) --ownerDepth;
    bool own = headsPage(node.key);
    add(Ancestor(node.key, ownerDepth), node.key, own ? -1 : count);
    if (own) add(node.key, node.key, count);
  }
  std::vector<std::pair<std::string, std::string>> out;
  for (auto& [head, text] : pages) {
    EptNodeKey key{std::get<0>(head), std::get<1>(head), std::get<2>(head), std::get<3>(head)};
    out.emplace_back("ept-hierarchy/" + key.text() + ".json", text + "\n}\n");
  }
  return out;
}

std::string MetadataJson(const PlannedDataset& dataset) {
  const DatasetOptions& o = dataset.options;
  std::string bounds = Number(o.originX) + ", " + Number(o.originY) + ", " + Number(o.minZ) + ", " +
                       Number(o.originX + o.edge) + ", " + Number(o.originY + o.edge) + ", " +
                       Number(o.minZ + o.edge);
  return "{\n"
         "  \"bounds\": [" + bounds + "],\n"
         "  \"dataType\": \"laszip\",\n"
         "  \"hierarchyType\": \"json\",\n"
         "  \"points\": " + std::to_string(dataset.points.size()) + ",\n"
         "  \"scale\": " + Number(o.scale) + ",\n"
         "  \"span\": 128,\n"
         "  \"srs\": " + o.srs + ",\n"
         "  \"version\": \"1.0.0\"\n"
         "}\n";
}

bool WriteDataset(const PlannedDataset& dataset, const std::string& folder, std::string& error) {
  std::filesystem::path root(folder);
  std::string metadata = MetadataJson(dataset);
  if (!WriteWhole(root / "ept.json", metadata.data(), metadata.size(), error)) return false;
  for (const auto& [path, text] : HierarchyPages(dataset))
    if (!WriteWhole(root / path, text.data(), text.size(), error)) return false;
  for (const PlannedNode& node : dataset.nodes) {
    ByteBuffer tile;
    try {
      tile = EncodeLazTile(node.points, node.format, dataset.options.scale, dataset.offsetX, dataset.offsetY,
                           dataset.offsetZ);
    } catch (const std::exception& e) {
      error = std::string("tile ") + node.key.text() + ": " + e.what();
      return false;
    }
    if (!WriteWhole(root / "ept-data" / (node.key.text() + ".laz"), tile.data(), tile.size(), error)) return false;
  }
  return true;
}

}  // namespace eptgen
