// The pelvar program end to end: scripts in, command-line history out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/support/pelvar_run.h"

namespace {

using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::TempFolder;

// The command history from the first command prompt on (the module's load banner, when the
// module is built beside the program, comes before it).
std::string History(const std::string& out) {
  size_t at = out.find("Command: ");
  return at == std::string::npos ? out : out.substr(at);
}

// The LIST lines of every entity, without the count line.
std::string ListedEntities(const std::string& out) {
  size_t at = out.rfind(" entities in model space.\n");
  EXPECT_NE(at, std::string::npos) << out;
  if (at == std::string::npos) return {};
  std::string rest = out.substr(at + std::string(" entities in model space.\n").size());
  return rest.substr(0, rest.find("Command:"));
}

TEST(PelvarProgram, DrawsMovesSavesAndReopensTheSameEntities) {
  TempFolder home("program");
  std::string drawing = (home.path() / "site.pvd").string();
  PelvarRun first = RunPelvar(home.path(),
                              "LINE\n0,0\n100,50\n\n"
                              "3DPOLY\n0,0,0\n10,0,5\n10,10,7\nC\n"
                              "MOVE\n50,25\n\n0,0\n@5,5\n"
                              "LIST\nALL\n"
                              "SAVEAS\n" + drawing + "\n");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.out.find("Command: LINE\nSpecify first point: 0,0\nSpecify next point or [Enter to finish]: 100,50\n"),
            std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("Saved " + drawing + "\n"), std::string::npos) << first.out;
  // The line moved by (5,5); the polyline stayed.
  EXPECT_NE(first.out.find("from point, X=5.0000  Y=5.0000  Z=0.0000\nto point, X=105.0000  Y=55.0000  Z=0.0000"),
            std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("at point X=10.0000  Y=10.0000  Z=7.0000"), std::string::npos) << first.out;

  PelvarRun second = RunPelvar(home.path(), "LIST\nALL\n", {drawing});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_NE(second.out.find("2 entities in model space."), std::string::npos) << second.out;
  EXPECT_EQ(ListedEntities(second.out), ListedEntities(first.out));
}

TEST(PelvarProgram, EnterEscAndUnknownCommandsReadAsTheHostWrites) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "\nfoo\nLINE\n^C\n_.point\n1,2\n");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(History(run.out),
            "Command: \n"
            "Command: foo\n"
            "Unknown command \"FOO\".  Press F1 for help.\n"
            "Command: LINE\n"
            "Specify first point: *Cancel*\n"
            "Command: _.point\n"
            "Specify a point: 1,2\n"
            "Command: \n");
}

TEST(PelvarProgram, WordsAfterACommandAnswerItsPrompts) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "POINT 3,4\nLIST 3,4\n");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Specify a point: 3,4\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Select object or [ALL]: 3,4\nPOINT"), std::string::npos) << run.out;
}

TEST(PelvarProgram, QuitEndsTheRunAndLeavesTheRestUnread) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "QUIT\nLINE\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(History(run.out), "Command: QUIT\n");
}

// Drawings: QUIT asks Save/Discard/Cancel (Yes and No keep the meaning they had when the
// question was "Discard them?"); one file is one drawing however it is named; zooming and
// switching leave a drawing unmodified.
TEST(PelvarProgram, DrawingsAreAskedAboutOpenedOnceAndModifiedOnlyByChanges) {
  TempFolder home("program");
  const std::string site = (home.path() / "site.pvd").string();
  const std::string ask = "Save changes to site.pvd? [Save/Discard/Cancel] <Save>: ";
  struct Case {
    const char* what;
    std::string script;
    std::string expected;  // in the output
    bool savedAgain;       // the file holds the point drawn after the first save
    bool quits;            // the DOCS after the answer is never read
  } cases[] = {
      {"No stays", "QUIT\nNo\nDOCS\n", ask + "No\nCommand: DOCS\n* 1  " + site + "  (modified)\n", false, false},
      {"Cancel stays", "QUIT\nC\nDOCS\n", ask + "C\nCommand: DOCS\n* 1  " + site + "  (modified)\n", false, false},
      {"Yes discards", "QUIT\nY\nDOCS\n", ask + "Y\n", false, true},
      {"Discard discards", "QUIT\nDiscard\nDOCS\n", ask + "Discard\n", false, true},
      {"Save saves", "QUIT\nS\nDOCS\n", ask + "S\nSaved " + site + "\n", true, true},
      {"Enter saves", "QUIT\n\nDOCS\n", ask + "\nSaved " + site + "\n", true, true},
      {"one file, one drawing", "OPEN\nsite\nDOCS\n",
       site + " is open already; it is now the current drawing.\nCommand: DOCS\n* 1  " + site + "  (modified)\n", false,
       false},
      {"zoom leaves it unmodified", "SAVE\nZOOM\nE\nDOC\n1\nDOCS\n", "Command: DOCS\n* 1  " + site + "\n", true, false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(site);
    PelvarRun run = RunPelvar(home.path(), "POINT\n1,1\nSAVEAS\nsite\nPOINT\n2,2\n" + c.script);
    EXPECT_EQ(run.exitCode, 0) << c.what;
    EXPECT_NE(run.out.find(c.expected), std::string::npos) << c.what << "\n" << run.out;
    EXPECT_EQ(run.out.find("Command: DOCS") == std::string::npos, c.quits) << c.what;
    PelvarRun reread = RunPelvar(home.path(), "LIST\nALL\n\n", {site});
    EXPECT_EQ(reread.out.find("2 entities in model space.") != std::string::npos, c.savedAgain) << c.what;
  }
}

TEST(PelvarProgram, DashCLinesRunBeforeTheScript) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "DOCS\n", {"-c", "NEW"});
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Command: NEW\nNew drawing: Drawing2.pvd\nCommand: DOCS\n  1  Drawing1.pvd\n* 2  Drawing2.pvd\n"),
            std::string::npos)
      << run.out;
}

TEST(PelvarProgram, AnEmptyDashCLineIsEnter) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "LIST\nALL\n", {"-c", "LINE 0,0", "-c", "10,0", "-c", "", "-c", "DOCS"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("Specify next point or [Enter to finish]: 10,0\n"
                         "Specify next point or [Enter to finish]: \n"
                         "Command: DOCS\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("1 entity in model space."), std::string::npos) << run.out;
}

TEST(PelvarProgram, WithoutAScriptStandardInputFollowsTheDashCLines) {
  TempFolder home("program");
  std::ofstream(home.path() / "in.txt") << "LIST\nALL\n";
  std::string command = "cd " + pelvartest::ShellQuote(home.path().string()) +
                        " && XDG_CONFIG_HOME=" + pelvartest::ShellQuote((home.path() / "config").string()) + " " +
                        pelvartest::ShellQuote(std::string(PELVAR_BUILD_DIR) + "/pelvar") +
                        " -c POINT -c 1,2 <in.txt >out.txt 2>err.txt";
  int status = std::system(command.c_str());
  ASSERT_EQ(WEXITSTATUS(status), 0) << pelvartest::ReadWholeFile(home.path() / "err.txt");
  const std::string out = pelvartest::ReadWholeFile(home.path() / "out.txt");
  pelvartest::ExpectCleanOutput(out);
  pelvartest::ExpectCleanOutput(pelvartest::ReadWholeFile(home.path() / "err.txt"));
  EXPECT_NE(out.find("Command: POINT\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Command: LIST\nSelect object or [ALL]: ALL\n1 entity in model space.\nPOINT"),
            std::string::npos)
      << out;
}

TEST(PelvarProgram, OwnFailuresGiveANonZeroStatusAndAMessage) {
  TempFolder home("program");
  std::string missing = (home.path() / "missing.pvd").string();
  PelvarRun noDrawing = RunPelvar(home.path(), "", {missing});
  EXPECT_EQ(noDrawing.exitCode, 1);
  EXPECT_NE(noDrawing.err.find("pelvar: cannot open drawing " + missing), std::string::npos) << noDrawing.err;

  std::string command = std::string(PELVAR_BUILD_DIR) + "/pelvar --script /nonexistent/x.scr >/dev/null 2>" +
                        (home.path() / "e.txt").string();
  int status = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(pelvartest::ReadWholeFile(home.path() / "e.txt"),
            "pelvar: cannot read script /nonexistent/x.scr: No such file or directory\n");

  // A folder opens like a file but cannot be read as one.
  command = std::string(PELVAR_BUILD_DIR) + "/pelvar --script " + home.path().string() + " >" +
            (home.path() / "o.txt").string() + " 2>" + (home.path() / "e.txt").string() + " </dev/null";
  status = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(pelvartest::ReadWholeFile(home.path() / "e.txt"),
            "pelvar: cannot read script " + home.path().string() + ": Is a directory\n");
  EXPECT_EQ(pelvartest::ReadWholeFile(home.path() / "o.txt"), "");
}

TEST(PelvarProgram, OpenRefusesAMissingFileAndAsksAgain) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "OPEN\nnope\n^C\n");
  ASSERT_EQ(run.exitCode, 0);
  std::string expected = "Drawing to open: nope\nFile not found: nope.pvd\nDrawing to open: *Cancel*\n";
  EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
}

TEST(PelvarProgram, ZoomAndRegenRunThroughTheirPrompts) {
  TempFolder home("program");
  PelvarRun run = RunPelvar(home.path(), "ZOOM\nE\nLINE\n0,0\n10,10\n\nZOOM\nE\nZOOM\n0,0\n0,0\nREGEN\n");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Specify corner of window or [Extents/Window]: E\nThe drawing is empty.\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Specify opposite corner: 0,0\nThe window has no area.\n"), std::string::npos) << run.out;
}

// An answer longer than its prompt can take is refused with the reason and asked again;
// the command goes on with the next answer.
TEST(PelvarProgram, AnAnswerTooLongIsRefusedWithItsLengthAndAskedAgain) {
  const std::string tooLong = "\nThe answer is too long: ";
  const std::pair<std::string, std::string> cases[] = {  // the script, what it prints from the refusal on
      {"PNGOUT\n" + std::string(5004, 'p') + "\nshort.png\n\n\n",
       tooLong + "5004 characters, at most 1023.\nPNG file <view.png>: short.png\nImage width <1600>: "},
      {"LAYER\nMake\n" + std::string(100000, 'L') + "\nroads\n\n",
       tooLong + "100000 characters, at most 255.\nEnter name for new layer: roads\nCurrent layer: roads\n"},
      {"CIVILCS\n" + std::string(100000, 'C') + "\nEPSG:2240\n",
       tooLong + "100000 characters, at most 255.\nCoordinate system code <(none)>: EPSG:2240\n"
                 "Coordinate system code set to \"EPSG:2240\"."}};
  for (const auto& [script, refusal] : cases) {
    TempFolder home("longanswer");
    PelvarRun run = RunPelvar(home.path(), script);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(refusal), std::string::npos) << run.out.substr(run.out.size() > 600 ? run.out.size() - 600 : 0);
  }
}

}  // namespace
