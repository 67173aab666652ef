// In-process setting for the attach command and the reactor: temporary registry and
// Downloads folders, a working drawing, the host's commands (ZOOM, REGEN) and scripted answers.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "dbmain.h"
#include "dbsymtb.h"
#include "entity/Pelvar.h"
#include "hostcommands.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "tools/samplegen/SampleCloud.h"
#include "tests/support/ScopedEnv.h"
#include "ui/PanelHooks.h"
#include "wcrt.h"

namespace attachtest {

namespace fs = std::filesystem;

using pelvartest::ScopedEnv;

inline fs::path FreshFolder(const std::string& tag) {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder = fs::path(testing::TempDir()) / ("pelvar_attach_" + std::string(info->test_suite_name()) + "_" +
                                                    info->name() + "_" + tag);
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

// Stores a registry value under HKCU\Software\Pelvar through the registry functions.
inline void StoreSetting(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
  RegCloseKey(key);
}

class AttachTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { pelvarhost::RegisterHostCommands(); }
  static void TearDownTestSuite() { pelvarhost::RemoveHostCommands(); }

  void SetUp() override {
    config_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", FreshFolder("config").string());
    downloads_ = FreshFolder("downloads");
    downloadsEnv_ = std::make_unique<ScopedEnv>("XDG_DOWNLOAD_DIR", downloads_.string());
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    pelvarhost::ResetInput();
    ResetPanelCalls();
    ClearCloudCache();
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    pelvarhost::ResetInput();
    ClearCloudCache();
  }

  // Writes a sample cloud of `points` points into the Downloads folder.
  fs::path WriteSample(const std::string& name, uint32_t points = 2000, const std::string& tileName = "GA West sample") {
    SampleCloudRequest request;
    request.pointCount = points;
    request.seed = 11;
    request.tileName = tileName;
    fs::path path = downloads_ / name;
    std::string error;
    EXPECT_TRUE(WriteSampleCloud(request, path.string(), false, &error)) << error;
    return path;
  }

  // Runs the command with the answers (one per line) and returns what it printed.
  std::string RunAttach(const std::wstring& answers);

  // The cloud entities of model space, in order (opened for read; the caller closes).
  std::vector<AcDbObjectId> CloudIds() {
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    if (space == nullptr) return ids;
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    for (; !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
      if (Pelvar::cast(entity) != nullptr) ids.push_back(entity->objectId());
      entity->close();
    }
    delete it;
    space->close();
    return ids;
  }

  uint32_t MaskOf(AcDbObjectId id) {
    Pelvar* cloud = nullptr;
    EXPECT_EQ(acdbOpenObject(cloud, id, AcDb::kForRead), Acad::eOk);
    if (cloud == nullptr) return 0;
    uint32_t mask = cloud->classMask();
    cloud->close();
    return mask;
  }

  AcDbDatabase db_;
  fs::path downloads_;
  std::unique_ptr<ScopedEnv> config_;
  std::unique_ptr<ScopedEnv> downloadsEnv_;
};

}  // namespace attachtest
