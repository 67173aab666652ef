// pelvar at a terminal: keys typed into a pseudo-terminal, the screen's bytes read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/PseudoTerminal.h"
#include "tests/support/pelvar_run.h"

namespace {

using pelvartest::Terminal;

TEST(PelvarTerminal, EscCancelsTheLineAndTheKeysAfterItAreTypedAsSuch) {
  pelvartest::TempFolder home("terminal");
  Terminal terminal(home.path());
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("LINE\r");
  ASSERT_TRUE(terminal.WaitFor("Specify first point: ")) << terminal.Screen();
  // Esc at once followed by the next command: the Esc cancels, the keys stay keys.
  terminal.Type("12\x1bPOINT 3,4\r");
  ASSERT_TRUE(terminal.WaitFor("*Cancel*")) << terminal.Screen();
  ASSERT_TRUE(terminal.WaitFor("Specify a point: ")) << terminal.Screen();
  // An arrow key still edits: Left moves back over the 8, the 9 goes before it.
  terminal.Type("POINT 7,8\x1b[D9\r");
  terminal.Type("LIST ALL\r");
  ASSERT_TRUE(terminal.WaitFor("2 entities in model space.")) << terminal.Screen();
  ASSERT_TRUE(terminal.WaitFor("at point X=3.0000  Y=4.0000")) << terminal.Screen();
  ASSERT_TRUE(terminal.WaitFor("at point X=7.0000  Y=98.0000")) << terminal.Screen();
  // Esc at a prompt of a command cancels it.
  terminal.Type("LIST\r");
  ASSERT_TRUE(terminal.WaitFor("Select object or [ALL]: ")) << terminal.Screen();
  terminal.Type("\x1b");
  ASSERT_TRUE(terminal.WaitFor("*Cancel*")) << terminal.Screen();
  EXPECT_EQ(terminal.Quit(), 0);
  EXPECT_EQ(terminal.Screen().find(":OINT"), std::string::npos) << "Esc began a Meta key";
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

TEST(PelvarTerminal, TabCompletesCommandNames) {
  pelvartest::TempFolder home("terminal");
  Terminal terminal(home.path());
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("pelvarat\t");
  ASSERT_TRUE(terminal.WaitFor("PELVARATTACH")) << terminal.Screen();
  terminal.Type("\r");
  ASSERT_TRUE(terminal.WaitFor("Select Mardel cloud")) << terminal.Screen();
  terminal.Type("\x1b");
  ASSERT_TRUE(terminal.WaitFor("*Cancel*")) << terminal.Screen();
  terminal.Type("ARXU\t");
  ASSERT_TRUE(terminal.WaitFor("ARXUNLOAD")) << terminal.Screen();
  terminal.Type("\x1b");
  EXPECT_EQ(terminal.Quit(), 0);
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

// Keys at the terminal: function keys type nothing; Tab in a file prompt completes in the
// folder the prompt shows, its extension's files listed first.
TEST(PelvarTerminal, FunctionKeysTypeNothingAndTabCompletesInThePromptsFolder) {
  pelvartest::TempFolder home("terminal");
  std::filesystem::path downloads = home.path() / "Downloads";
  std::filesystem::create_directories(downloads / "sub");
  for (const char* name : {"site.txt", "site.kmt", "zeta.kmt"}) std::ofstream(downloads / name) << "x";
  Terminal terminal(home.path(), {"XDG_DOWNLOAD_DIR=" + downloads.string()});
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  struct Case {
    const char* keys;
    const char* shows;   // on the screen after the keys
  } cases[] = {
      {"\x1bOP\x1bOQ\x1b[15~\x1b[2~\x1b[24~POINT 1,2\r", "Command: "},
      {"PELVARATTACH\r", "Select Mardel cloud"},
      {"s\t\t", "site.kmt"},
      {"", "site.txt"},  // listed after the cloud file although it sorts first
      {"i\tk\t\r", "Cloud load failed"},  // site.kmt of the prompt's folder, read
  };
  for (const Case& c : cases) {
    terminal.Type(c.keys);
    ASSERT_TRUE(terminal.WaitFor(c.shows)) << c.keys << "\n" << terminal.Screen();
  }
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("LIST ALL\r");
  ASSERT_TRUE(terminal.WaitFor("at point X=1.0000  Y=2.0000")) << terminal.Screen();
  EXPECT_EQ(terminal.Screen().find("Unknown command"), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.Screen().find("File not found"), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.Quit(), 0);
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

}  // namespace
