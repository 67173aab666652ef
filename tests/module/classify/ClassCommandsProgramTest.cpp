// The class, colour, automatic-classification, default-class and help commands in the
// pelvar program: every message as printed, and the default mask carried through the
// registry file to the next attach in a new process.
#include <gtest/gtest.h>

#include "tests/module/classify/ProgramFixture.h"

namespace classifytest {
namespace {

constexpr const char* kHelp =
    "Command: PELVARHELP\n"
    "--- Pelvar commands ---\n"
    "PELVARPANEL    show/hide this control panel\n"
    "PELVARATTACH   attach an .kmt square (viewer export or fetch)\n"
    "PELVARFETCH    pull full-density USGS 3DEP for a drawn rectangle\n"
    "PELVARMIRROR   download an AREA of 3DEP to a local disk mirror;\n"
    "              rerun to resume; PELVARFETCH then works offline there\n"
    "PELVARCROP     cut a rectangle into a new _crop.kmt and attach it\n"
    "PELVARIMPORT   LAS/LAZ files into .kmt clouds in the drawing's zone\n"
    "PELVAREXPORT   a cloud (or a rectangle of it) out as LAS or LAZ\n"
    "PELVARDEM      a cloud's ground grid out as a GeoTIFF DEM\n"
    "PELVARPICK     read E/N/Z, ground and height under a click\n"
    "PELVARPROF     ground profile along a line (3D poly / feature line)\n"
    "PELVARPROFC    profile over the ACTIVE classes (bridge deck, roofs)\n"
    "PELVARSURF     Civil 3D EG surface from ground points or the grid\n"
    "PELVARCOGO     Civil 3D COGO points at picked spots\n"
    "PELVARRECLASS  reassign classes inside drawn rectangles\n"
    "PELVARAUTOCLS  auto-classify unclassified by height above ground\n"
    "PELVARDEFCLS   save a cloud's class set as the attach default\n"
    "Workflow: fetch or attach wide -> crop the work area ->\n"
    "  tick classes in the panel -> profiles / surface / COGO.\n"
    "Offline: set HKCU\\Software\\Pelvar\\LocalEptRoot to a\n"
    "  local 3DEP mirror folder; PELVARFETCH reads disk before web.\n"
    "Command: ";

constexpr const char* kAutoText =
    " unclassified points %s by height above ground (<6.5 ft low veg, 6.5-16 med, >16 high; deep outliers -> noise).";

std::string AutoLine(const char* state, int count, const char* effect) {
  char tail[200];
  std::snprintf(tail, sizeof tail, kAutoText, effect);
  return std::string("Auto-classify: ") + state + ". " + std::to_string(count) + tail + "\n";
}

TEST_F(ClassifyProgram, HelpPrintsTheCommandListLineByLine) {
  pelvartest::PelvarRun run = Run("PELVARHELP\n");
  EXPECT_EQ(From(run.out, "Command: PELVARHELP"), kHelp);
}

// The lattice has 20 points stored unclassified; an edit that moves some of them does not
// change the count. Picks off the cloud or on another entity change nothing.
TEST_F(ClassifyProgram, ClassModeAndAutoClassifyCommandsPrintWhatTheyChanged) {
  WriteCloud("lattice.kmt", LatticeCloud());
  pelvartest::PelvarRun run = Run(
      "PELVARATTACH\nlattice.kmt\nLINE\n-50,-50\n-40,-40\n\n"
      "PELVARCLS\n1050,2050\n3\nPELVARCLS\n1050,2050\n3\nPELVARCLS\n1050,2050\n31\n"
      "PELVARCLS\n1050,2050\n32\nPELVARCLS\n1050,2050\n-1\nPELVARCLS\n-45,-45\nPELVARCLS\n500,500\n"
      "PELVARMODE\n1050,2050\nPELVARMODE\n1050,2050\nPELVARMODE\n1050,2050\n"
      "PELVARRECLASS\nBuilding\n1000,2000\n1100,2100\n\n"
      "PELVARAUTOCLS\n\nPELVARAUTOCLS\n1050,2050\nPELVARAUTOCLS\n-45,-45\n");
  const std::string expected =
      "Command: PELVARCLS\nSelect Mardel cloud: 1050,2050\n"
      "LAS class to toggle (1,2,3,4,5,6,7,9,17,20): 3\nClass 3 -> ON\n"
      "Command: PELVARCLS\nSelect Mardel cloud: 1050,2050\n"
      "LAS class to toggle (1,2,3,4,5,6,7,9,17,20): 3\nClass 3 -> OFF\n"
      "Command: PELVARCLS\nSelect Mardel cloud: 1050,2050\n"
      "LAS class to toggle (1,2,3,4,5,6,7,9,17,20): 31\nClass 31 -> OFF\n"
      "Command: PELVARCLS\nSelect Mardel cloud: 1050,2050\n"
      "LAS class to toggle (1,2,3,4,5,6,7,9,17,20): 32\n"
      "Command: PELVARCLS\nSelect Mardel cloud: 1050,2050\n"
      "LAS class to toggle (1,2,3,4,5,6,7,9,17,20): -1\n"
      "Command: PELVARCLS\nSelect Mardel cloud: -45,-45\nNot a PELVAR entity.\n"
      "Command: PELVARCLS\nSelect Mardel cloud: 500,500\n"
      "Command: PELVARMODE\nSelect Mardel cloud: 1050,2050\nColor by: Intensity\n"
      "Command: PELVARMODE\nSelect Mardel cloud: 1050,2050\nColor by: Elevation\n"
      "Command: PELVARMODE\nSelect Mardel cloud: 1050,2050\nColor by: Class\n"
      "Command: PELVARRECLASS\n"
      "Reclassify to [Ground/Building/Water/Vegetation/Unclassified/Number/Reset] <Ground>: Building\n"
      "First corner of area <Enter to finish>: 1000,2000\nOpposite corner: 1100,2100\n"
      "  101 point(s) -> class 6\nFirst corner of area <Enter to finish>: \n"
      "Stored in the drawing; the .kmt file is untouched. [Reset] undoes all.\n"
      "Command: PELVARAUTOCLS\nToggle auto-classification of unclassified points.\n"
      "Select cloud <Enter = first in drawing>: \n" +
      AutoLine("ON", 20, "now colored") +
      "Command: PELVARAUTOCLS\nToggle auto-classification of unclassified points.\n"
      "Select cloud <Enter = first in drawing>: 1050,2050\n" +
      AutoLine("OFF", 20, "back to gray") +
      "Command: PELVARAUTOCLS\nToggle auto-classification of unclassified points.\n"
      "Select cloud <Enter = first in drawing>: -45,-45\nNot a PELVAR entity.\nCommand: ";
  EXPECT_EQ(From(run.out, "Command: PELVARCLS"), expected);
}

TEST_F(ClassifyProgram, AutoClassifyOnACloudWhoseFileIsGoneFlipsTheSwitchAndCountsNothing) {
  fs::path file = WriteCloud("gone.kmt", LatticeCloud());
  Run("PELVARATTACH\ngone.kmt\nSAVEAS\ndrawing.pvd\n");
  fs::remove(file);
  pelvartest::PelvarRun run = Run("OPEN\ndrawing.pvd\nPELVARAUTOCLS\n\nPELVARAUTOCLS\n\n");
  const std::string select =
      "Command: PELVARAUTOCLS\nToggle auto-classification of unclassified points.\n"
      "Select cloud <Enter = first in drawing>: \n";
  EXPECT_EQ(From(run.out, "Command: PELVARAUTOCLS"),
            select + AutoLine("ON", 0, "now colored") + select + AutoLine("OFF", 0, "back to gray") + "Command: ");
}

// A mask stored in the registry reaches the attached cloud; PELVARDEFCLS stores a changed
// one, which the next attach in a new process starts with.
TEST_F(ClassifyProgram, DefaultClassesGoThroughTheRegistryToTheNextAttach) {
  WriteCloud("lattice.kmt", LatticeCloud());
  StoreDefaultMask((1u << 2) | (1u << 20));
  pelvartest::PelvarRun first = Run(
      "PELVARATTACH\nlattice.kmt\nPELVARDEFCLS\n\nPELVARCLS\n1050,2050\n6\nPELVARDEFCLS\n1050,2050\n");
  EXPECT_EQ(From(first.out, "Command: PELVARDEFCLS"),
            "Command: PELVARDEFCLS\nSave a cloud's class set as the default for future attaches.\n"
            "Select cloud <Enter = first in drawing>: \n"
            "Default classes saved: 2 20. New attaches start with this set.\n"
            "Command: PELVARCLS\nSelect Mardel cloud: 1050,2050\n"
            "LAS class to toggle (1,2,3,4,5,6,7,9,17,20): 6\nClass 6 -> ON\n"
            "Command: PELVARDEFCLS\nSave a cloud's class set as the default for future attaches.\n"
            "Select cloud <Enter = first in drawing>: 1050,2050\n"
            "Default classes saved: 2 6 20. New attaches start with this set.\nCommand: ");
  EXPECT_NE(pelvartest::ReadWholeFile(home_ / "config" / "pelvar" / "registry.reg").find("\"DefaultClassMask\"=dword:00100044"),
            std::string::npos);

  pelvartest::PelvarRun second = Run("PELVARATTACH\nlattice.kmt\nPELVARDEFCLS\n\n");
  EXPECT_NE(second.out.find("Default classes saved: 2 6 20. New attaches start with this set.\n"), std::string::npos)
      << second.out;
}

TEST_F(ClassifyProgram, ARegistryThatCannotBeWrittenIsReported) {
  WriteCloud("lattice.kmt", LatticeCloud());
  std::ofstream(home_ / "config") << "not a folder";
  pelvartest::PelvarRun run = Run("PELVARATTACH\nlattice.kmt\nPELVARDEFCLS\n\n");
  EXPECT_EQ(From(run.out, "Command: PELVARDEFCLS"),
            "Command: PELVARDEFCLS\nSave a cloud's class set as the default for future attaches.\n"
            "Select cloud <Enter = first in drawing>: \nRegistry write failed.\nCommand: ");
}

TEST_F(ClassifyProgram, CommandsThatChooseTheFirstCloudSayWhenThereIsNone) {
  pelvartest::PelvarRun run = Run("PELVARDEFCLS\n\n");
  EXPECT_EQ(From(run.out, "Command: PELVARDEFCLS"),
            "Command: PELVARDEFCLS\nSave a cloud's class set as the default for future attaches.\n"
            "Select cloud <Enter = first in drawing>: \nNo PELVAR in this drawing.\nCommand: ");
}

}  // namespace
}  // namespace classifytest
