// The module in the pelvar program, end to end: the program loads it from its own folder,
// ARXUNLOAD takes every command away and keeps the clouds as proxies, ARXLOAD brings them
// back with all their fields.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "../entity/EntitySupport.h"
#include "AppSupport.h"
#include "dbdrawing.h"
#include "dbproxy.h"
#include "entity/PelvarClass.h"
#include "tests/support/pelvar_run.h"

using namespace pelvartest;

namespace {

const std::string kProgram = std::string(PELVAR_BUILD_DIR) + "/pelvar";
const std::string kModule = std::string(PELVAR_BUILD_DIR) + "/Pelvar2027.arx";

struct RunResult {
  int status = -1;
  std::string output;
};

// Runs the program on a drawing with a script; standard output and error together.
RunResult RunProgram(const PrivateConfig& config, const std::string& drawing, const std::string& script) {
  const std::string scriptPath = (config / "run.scr").string();
  std::ofstream(scriptPath) << script;
  const std::string command = "XDG_CONFIG_HOME='" + config.path().string() + "' HOME='" + config.path().string() +
                              "' '" + kProgram + "' --script '" + scriptPath + "' " +
                              (drawing.empty() ? "" : "'" + drawing + "'") + " 2>&1";
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  result.status = pclose(pipe);
  ExpectCleanOutput(result.output);
  return result;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class ProgramWithModule : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }
  void SetUp() override {
    if (!std::filesystem::exists(kProgram) || !std::filesystem::exists(kModule))
      GTEST_FAIL() << "build the pelvar program and Pelvar2027.arx first";
  }
  PrivateConfig config_;
};

TEST_F(ProgramWithModule, LoadsTheModuleBesideItAndPrintsTheBanner) {
  RunResult run = RunProgram(config_, "", "QUIT\n");
  EXPECT_EQ(run.status, 0);
  // The banner's own line break starts a line; the program has printed nothing before it.
  EXPECT_EQ(run.output.rfind(kBanner.substr(1), 0), 0u) << run.output;
  EXPECT_EQ(Count(run.output, "Pelvar loaded:"), 1u);
  EXPECT_EQ(Count(run.output, "PelvarPanel"), 0u);  // no main window: no panel
}

TEST_F(ProgramWithModule, AfterUnloadNoCommandIsKnownAndReloadBringsTheCloudsBack) {
  // A drawing with one cloud whose every field differs from its default.
  const std::string cloudPath = (config_ / "tile.kmt").string();
  const std::string original = (config_ / "original.pvd").string();
  const std::string unloaded = (config_ / "unloaded.pvd").string();
  const std::string reloaded = (config_ / "reloaded.pvd").string();
  FiledSnapshot expected;
  AcDbHandle handle;
  std::vector<uint8_t> record;
  {
    AcDbDatabase db;
    auto* p = new Pelvar();
    FillAllFields(*p, std::filesystem::path(cloudPath).wstring());
    expected = Snapshot(*p);
    record = RecordOf(*p);
    handle = AppendForHandle(db, p);
    ASSERT_EQ(db.saveAs(std::filesystem::path(original).wstring().c_str()), Acad::eOk);
  }

  std::string script = "ARXUNLOAD\nPelvar2027.arx\n";
  for (const std::wstring& name : kAllCommands) script += std::filesystem::path(name).string() + "\n";
  script += "SAVEAS\n" + unloaded + "\nARXLOAD\n" + kModule + "\nSAVEAS\n" + reloaded + "\nQUIT\n";
  RunResult run = RunProgram(config_, original, script);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Unloaded Pelvar2027.arx"), std::string::npos) << run.output;
  for (const std::wstring& name : kAllCommands) {
    const std::string typed = std::filesystem::path(name).string();
    EXPECT_NE(run.output.find("\nUnknown command \"" + typed + "\".  Press F1 for help."), std::string::npos)
        << typed << "\n" << run.output;
  }
  EXPECT_EQ(Count(run.output, "Pelvar loaded:"), 2u) << run.output;
  EXPECT_EQ(Count(run.output, "Cannot"), 0u) << run.output;

  {  // Saved while unloaded: a proxy keeping the record byte for byte.
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(std::filesystem::path(unloaded).wstring().c_str()), Acad::eOk)
        << pelvarhost::LastDrawingFileError();
    AcDbObjectId id = IdOf(db, handle);
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(entity, id, AcDb::kForRead), Acad::eOk);
    // The proxy saved the record unchanged: read here, where the class is registered, it
    // is a cloud again and writes the very same bytes.
    Pelvar* p = Pelvar::cast(entity);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(RecordOf(*p), record);
    entity->close();
  }
  {  // Saved after loading again: the cloud with all its fields.
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(std::filesystem::path(reloaded).wstring().c_str()), Acad::eOk)
        << pelvarhost::LastDrawingFileError();
    Pelvar* p = nullptr;
    ASSERT_EQ(acdbOpenObject(p, IdOf(db, handle), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(Snapshot(*p), expected);
    p->close();
  }
}

TEST_F(ProgramWithModule, UnloadedModuleLeavesTheCloudsAsProxies) {
  const std::string original = (config_ / "one.pvd").string();
  {
    AcDbDatabase db;
    auto* p = new Pelvar();
    FillAllFields(*p, L"/nowhere/tile.kmt");
    AppendForHandle(db, p);
    ASSERT_EQ(db.saveAs(std::filesystem::path(original).wstring().c_str()), Acad::eOk);
  }
  RunResult run = RunProgram(config_, original, "LIST\nALL\n\nARXUNLOAD\nPelvar2027.arx\nLIST\nALL\n\nQUIT\n");
  ASSERT_EQ(run.status, 0) << run.output;
  const size_t unloadAt = run.output.find("Unloaded Pelvar2027.arx");
  ASSERT_NE(unloadAt, std::string::npos) << run.output;
  EXPECT_EQ(Count(run.output.substr(0, unloadAt), "Proxy of class Pelvar"), 0u) << run.output;
  EXPECT_EQ(Count(run.output.substr(unloadAt), "Proxy of class Pelvar"), 1u) << run.output;
}

TEST_F(ProgramWithModule, DemandLoadDataNamesTheModuleBesideTheProgram) {
  RunResult run = RunProgram(config_, "", "QUIT\n");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(StringValue(kAppKey, L"LOADER"),
            std::filesystem::canonical(std::filesystem::path(kModule)).wstring());
  const std::vector<std::wstring> commands = ValueNames(kAppKey + L"\\Commands");
  EXPECT_EQ(commands.size(), 19u);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), L"PELVARABOUT"), 0);
}

}  // namespace
