// What a mirror run over a rectangle should copy and print, worked out from the archive
// folder on disk: the hierarchy walk without limits, the pages it reads, the tiles it selects.
#pragma once
#include <map>
#include <set>
#include <string>

#include "retrieval/EptFetch.h"
#include "retrieval/EptHierarchy.h"
#include "retrieval/EptMetadata.h"
#include "tests/module/fetch/FetchTranscript.h"

namespace fetchtest {

struct ExpectedMirror {
  std::set<std::string> files;  // relative to the mirror root, '/'-separated
  std::string progress;         // the progress lines of a run that downloads every tile
  std::string tileProgressHeld; // the tile lines of a rerun that finds every tile on disk
  size_t tiles = 0;
  std::uint64_t bytes = 0, storedPoints = 0;
};

inline ExpectedMirror ExpectMirror(const fs::path& archive, const std::string& survey, const StatePlaneZone& zone,
                                   const Rect& r) {
  ExpectedMirror expected;
  Fetcher fetch = FolderFetcher(archive);
  std::string url = std::string(kArchiveRoot) + survey + "/";
  ByteBuffer metadata;
  fetch(url + kEptMetadataFile, metadata);
  EptBounds bounds = *ParseEptBounds(std::string_view(reinterpret_cast<const char*>(metadata.data()), metadata.size()));
  WebMercatorBox box;
  QueryBoxForRectangle(zone, {r.xmin, r.ymin, r.xmax, r.ymax}, box);
  expected.files = {"datasets.txt", survey + "/ept.json"};
  ProgressFn progress = [&expected](std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t,
                                    std::uint64_t) {
    if (phase == kProgressHierarchy) expected.progress += Format("\r  hierarchy: %llu nodes, %llu stored pts   ", a, b);
    return true;
  };
  PageSink pages = [&](const std::string& relative, const ByteBuffer&) { expected.files.insert(survey + "/" + relative); };
  EptSelection selection = SelectEptNodes(fetch, progress, url, bounds, box, false, pages);
  expected.tiles = selection.keys.size();
  expected.storedPoints = selection.storedPoints;
  std::string hierarchy = expected.progress;
  for (size_t i = 1; i <= selection.keys.size(); ++i) {
    std::string relative = std::string(kEptDataFolder) + selection.keys[i - 1].text() + kEptTileExtension;
    expected.files.insert(survey + "/" + relative);
    expected.bytes += fs::file_size(archive / survey / relative);
    if (i % 8 == 0 || i == selection.keys.size()) {
      expected.progress += Format("\r  node %llu/%llu  %.1f MB downloaded    ", i, selection.keys.size(),
                                  expected.bytes / 1048576.0);
      expected.tileProgressHeld += Format("\r  node %llu/%llu  %.1f MB downloaded    ", i, selection.keys.size(), 0.0);
    }
  }
  expected.tileProgressHeld = hierarchy + expected.tileProgressHeld;
  return expected;
}

// Every file below the folder, relative and '/'-separated, with its bytes.
inline std::map<std::string, std::string> TreeOf(const fs::path& folder) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(folder)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), folder).generic_string()] = pelvartest::ReadWholeFile(entry.path());
  return tree;
}

}  // namespace fetchtest
