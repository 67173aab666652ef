// Esc at a terminal during a fetch from a slow server: seen while the command works, the
// fetch ends "cancelled" without a file, and the keys typed meanwhile wait for the prompt.
#include <gtest/gtest.h>

#include "tests/module/fetch/SlowArchive.h"
#include "tests/support/PseudoTerminal.h"

namespace fetchtest {
namespace {

TEST_F(SlowArchive, EscAtTheTerminalStopsTheFetchAndTheKeysTypedMeanwhileWaitForTheNextPrompt) {
  pelvartest::Terminal terminal(home_.path(), {"XDG_DOWNLOAD_DIR=" + downloads_.string()});
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("PELVARFETCH\r" + FetchAnswers("\r"));
  ASSERT_TRUE(terminal.WaitFor("Esc cancels.")) << terminal.Screen();
  std::this_thread::sleep_for(2 * kSlowLatency);
  terminal.Type("POINT 5,6");
  const auto pressed = std::chrono::steady_clock::now();
  terminal.Type("\x1b");
  ASSERT_TRUE(terminal.WaitFor("FETCH FAILED: cancelled", 20s)) << terminal.Screen();
  const auto took = std::chrono::steady_clock::now() - pressed;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  EXPECT_LT(took, kCancelWithin) << ms << " ms";
  RecordProperty("EscToMessageMs", static_cast<int>(ms));
  EXPECT_TRUE(NoFetchedFile());
  terminal.Type("\r");
  ASSERT_TRUE(terminal.WaitFor("Command: POINT 5,6")) << terminal.Screen();
  EXPECT_EQ(terminal.Screen().find("^["), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.Quit(), 0);
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

}  // namespace
}  // namespace fetchtest
