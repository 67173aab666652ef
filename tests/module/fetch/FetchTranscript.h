// The lines a fetch or mirror prints for one survey, worked out in-process: the survey is
// walked from the archive folder on disk (no network, no mirror) and every progress report
// is formatted as the commands print it.
#pragma once
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "retrieval/ArchiveEndpoints.h"
#include "retrieval/EptFetch.h"
#include "tests/module/fetch/ArchiveFixture.h"

namespace fetchtest {

// Reads archive URLs from the folder that holds one folder per survey.
inline Fetcher FolderFetcher(const fs::path& archive) {
  return [archive](const std::string& url, ByteBuffer& bytes) {
    std::string root = kArchiveRoot;
    if (url.rfind(root, 0) != 0) return false;
    std::ifstream in(archive / url.substr(root.size()), std::ios::binary);
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    std::string body = text.str();
    bytes.assign(body.begin(), body.end());
    return !bytes.empty();
  };
}

inline std::string Format(const char* format, unsigned long long a, unsigned long long b, double c = 0,
                          unsigned long long d = 0) {
  char line[256];
  std::snprintf(line, sizeof(line), format, a, b, c, d);
  return line;
}

struct ExpectedFetch {
  std::string progress;  // every progress line of the survey, in order
  EptFetchResult result;
};

// The progress lines and the result of fetching the rectangle from the survey.
inline ExpectedFetch ExpectFetch(const fs::path& archive, const std::string& survey, const StatePlaneZone& zone,
                                 const Rect& r) {
  ExpectedFetch expected;
  ProgressFn progress = [&expected](std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                    std::uint64_t d) {
    if (phase == 0)
      expected.progress += Format("\r  hierarchy: %llu nodes, %llu stored pts   ", a, b);
    else if (phase == kProgressTile && (a % 4 == 0 || a == b))
      expected.progress += Format("\r  node %llu/%llu  %.1f MB  in-rect %llu    ", a, b, c / 1048576.0, d);
    return true;
  };
  expected.result = FetchEptRectangle(FolderFetcher(archive), progress, std::string(kArchiveRoot) + survey + "/",
                                      zone, r.xmin, r.ymin, r.xmax, r.ymax);
  return expected;
}

inline std::string FetchedLine(const EptFetchResult& r) {
  char line[256];
  std::snprintf(line, sizeof(line), "\nFetched %zu pts (%u nodes, %.1f MB)%s.", r.x.size(), r.nodesFetched,
                r.bytesDownloaded / 1048576.0, r.truncated ? ", BUDGET-TRUNCATED, shrink the rect for full density" : "");
  return line;
}

}  // namespace fetchtest
