// Cloud, drawing and export names in several scripts, in a Downloads folder with a French
// name, under the C and a UTF-8 locale: attach, crop, PNG, save, DXF and LandXML all find
// and write their files, and the saved drawing opens with both clouds loaded.
#include <gtest/gtest.h>

#include <string>

#include "tests/module/classify/ProgramFixture.h"

namespace classifytest {
namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(NamesBeyondAscii, EveryCommandReadsAndWritesTheNamedFilesInAnyLocale) {
  for (const char* locale : {"C", "C.UTF-8"}) {
    for (const std::string stem : {"caf\u00e9", "\u6771\u4eac \u5730\u56f3", "\U0001F30B lava"}) {
      SCOPED_TRACE(std::string(locale) + " " + stem);
      pelvartest::TempFolder home("beyondascii");
      const fs::path downloads = home / "T\u00e9l\u00e9chargements";
      fs::create_directories(downloads);
      pelvartest::ScopedEnv downloadsEnv("XDG_DOWNLOAD_DIR", downloads.string());
      pelvartest::ScopedEnv language("LC_ALL", locale);
      SampleCloudRequest request;
      request.pointCount = 3000;
      ASSERT_TRUE(WriteSampleCloud(request, (downloads / (stem + ".kmt")).string(), false));
      const fs::path drawing = home / (stem + ".pvd");
      pelvartest::PelvarRun first = pelvartest::RunPelvar(
          home.path(), "PELVARATTACH\n" + stem + ".kmt\nPELVARCROP\n\n2229000,1369000\n2231000,1371000\n\nZOOM E\n" +
                           "PNGOUT\n" + stem + ".png\n\n\nDXFOUT\n" + (home / (stem + ".dxf")).string() +
                           "\nLANDXMLOUT\n" + (home / (stem + ".xml")).string() + "\nSAVEAS\n" + drawing.string() + "\n");
      EXPECT_EQ(first.exitCode, 0) << first.err;
      EXPECT_NE(first.out.find("\nCropped cloud attached.\n"), std::string::npos) << first.out;
      EXPECT_NE(first.out.find("\nView written to " + stem + ".png (1600 x 1000)."), std::string::npos) << first.out;
      for (const fs::path& written : {downloads / (stem + "_crop.kmt"), home / (stem + ".png"), home / (stem + ".dxf"),
                                      home / (stem + ".xml"), drawing})
        EXPECT_TRUE(fs::is_regular_file(written)) << written;

      pelvartest::PelvarRun reopened = pelvartest::RunPelvar(home.path(), "LIST ALL\n", {drawing.string()});
      EXPECT_EQ(Count(reopened.out, "\nCloud file: "), 2u) << reopened.out;
      EXPECT_EQ(Count(reopened.out, "\nPoints: cloud file not loaded"), 0u) << reopened.out;
    }
  }
}

}  // namespace
}  // namespace classifytest
