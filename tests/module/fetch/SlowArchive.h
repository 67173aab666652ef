// A survey served slowly over loopback, so that a fetch is still working when a test
// presses Esc, and the answers of a fetch over the middle of it.
#pragma once
#include <chrono>
#include <string>

#include "tests/module/fetch/ArchiveFixture.h"

namespace fetchtest {

using namespace std::chrono_literals;

// Each answer of the server waits this long.
inline constexpr auto kSlowLatency = 250ms;
// From the key to "cancelled": the fetch sees the break at its next break test, after the
// answers in flight.
inline constexpr auto kCancelWithin = 3s;

class SlowArchive : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    addSurvey("PA_Slow_2020", SceneAt(-77.0, 40.0, 20000, 7));
    setIndex("PA_Slow_2020 2020 1000 -77.05 39.95 -76.95 40.05\n");
    server_->setLatency(kSlowLatency);
  }
  // The zone and corners of a 2000 x 1000 ft rectangle over the survey, one answer a line.
  static std::string FetchAnswers(const char* lineEnd) {
    double x = 0, y = 0;
    ZonePointAt(*FindZoneByEpsg(2272), -77.0, 40.0, x, y);
    return std::string("2272") + lineEnd + Number(x - 1000) + "," + Number(y - 500) + lineEnd + Number(x + 1000) +
           "," + Number(y + 500) + lineEnd;
  }
  bool NoFetchedFile() const {
    for (const std::string& name : downloadedFiles())
      if (name.rfind("KMT_fetch_", 0) == 0) return false;
    return true;
  }
};

}  // namespace fetchtest
