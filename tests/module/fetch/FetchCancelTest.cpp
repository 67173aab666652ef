// Esc during a fetch from a slow server: at a terminal the key is seen while the command
// works, the fetch ends with "cancelled" and leaves no file behind.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/module/fetch/ArchiveFixture.h"
#include "tests/support/PseudoTerminal.h"

namespace fetchtest {
namespace {

using namespace std::chrono_literals;

constexpr double kLon = -77.0, kLat = 40.0;
// Each answer of the server waits this long, so the fetch is mid-way when the key comes.
constexpr auto kLatency = 250ms;
// From the key to the message: the break is seen at the fetch's next break test, after at
// most the answers in flight.
constexpr auto kCancelWithin = 3s;

class FetchCancel : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    addSurvey("PA_Slow_2020", SceneAt(kLon, kLat, 20000, 7));
    setIndex("PA_Slow_2020 2020 1000 -77.05 39.95 -76.95 40.05\n");
    server_->setLatency(kLatency);
    double x = 0, y = 0;
    ZonePointAt(*FindZoneByEpsg(2272), kLon, kLat, x, y);
    rect_ = {x - 1000, y - 500, x + 1000, y + 500};
  }
  bool NoFetchedFile() const {
    for (const std::string& name : downloadedFiles())
      if (name.rfind("KMT_fetch_", 0) == 0) return false;
    return true;
  }
  Rect rect_;
};

TEST_F(FetchCancel, EscAtTheTerminalStopsTheFetchAndTheKeysTypedMeanwhileWaitForTheNextPrompt) {
  pelvartest::Terminal terminal(home_.path(), {"XDG_DOWNLOAD_DIR=" + downloads_.string()});
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("PELVARFETCH\r2272\r" + Number(rect_.xmin) + "," + Number(rect_.ymin) + "\r" + Number(rect_.xmax) +
                "," + Number(rect_.ymax) + "\r");
  ASSERT_TRUE(terminal.WaitFor("Esc cancels.")) << terminal.Screen();
  std::this_thread::sleep_for(2 * kLatency);
  // Typed while the fetch works: a command for later, then Esc.
  terminal.Type("POINT 5,6");
  const auto pressed = std::chrono::steady_clock::now();
  terminal.Type("\x1b");
  ASSERT_TRUE(terminal.WaitFor("FETCH FAILED: cancelled", 20s)) << terminal.Screen();
  const auto took = std::chrono::steady_clock::now() - pressed;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  EXPECT_LT(took, kCancelWithin) << ms << " ms";
  RecordProperty("EscToMessageMs", static_cast<int>(ms));
  EXPECT_TRUE(NoFetchedFile());
  // The keys typed meanwhile show at the next prompt, unechoed before it, and run.
  terminal.Type("\r");
  ASSERT_TRUE(terminal.WaitFor("Command: POINT 5,6")) << terminal.Screen();
  EXPECT_EQ(terminal.Screen().find("^["), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.Quit(), 0);
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

}  // namespace
}  // namespace fetchtest
