// ARXLOAD and ARXUNLOAD at the command line with the test module: its entities live while it
// is loaded, survive as proxies that save back byte for byte while it is not, and come back.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/pelvar_run.h"

namespace {

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ArxLoadCommand, TestModuleEntitiesOutliveAnUnloadAsProxiesAndReviveOnReload) {
  pelvartest::TempFolder home("arxload");
  const std::string module = PELVAR_TEST_MODULE_PATH;
  const std::string live = (home.path() / "live.pvd").string();
  const std::string proxied = (home.path() / "proxied.pvd").string();
  pelvartest::PelvarRun run = pelvartest::RunPelvar(
      home.path(),
      "ARXLOAD\n" + module + "\n"
      "PVTESTMAKE\n12.5,7\nfirst entity\n"
      "SAVEAS\n" + live + "\n"
      "ARXUNLOAD\npelvartestmodule\n"
      "PVTESTMAKE\n"
      "LIST\nALL\n"
      "SAVEAS\n" + proxied + "\n"
      "ARXLOAD\n" + module + "\n"
      "LIST\nALL\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string& out = run.out;

  const size_t unloaded = out.find("Command: ARXUNLOAD");
  const size_t reloaded = out.rfind("Command: ARXLOAD");
  ASSERT_NE(unloaded, std::string::npos) << out;
  ASSERT_NE(reloaded, std::string::npos) << out;
  EXPECT_NE(out.find("Unknown command \"PVTESTMAKE\".", unloaded), std::string::npos) << out;
  EXPECT_NE(out.find("Proxy of class PvTestEntity", unloaded), std::string::npos) << out;
  EXPECT_EQ(out.find("Label = first entity", unloaded), out.find("Label = first entity", reloaded)) << out;
  EXPECT_NE(out.find("Label = first entity", reloaded), std::string::npos) << out;
  EXPECT_NE(out.find("Value = 12.500  Count = 7", reloaded), std::string::npos) << out;

  const std::string liveBytes = FileBytes(live);
  ASSERT_FALSE(liveBytes.empty());
  EXPECT_EQ(FileBytes(proxied), liveBytes) << "a proxy writes its record back unchanged";
}

}  // namespace
