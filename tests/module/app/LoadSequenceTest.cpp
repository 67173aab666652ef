// The load and unload sequences, run in-process on the module code linked into the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <unistd.h>

#include "AppSupport.h"
#include "acdocman.h"
#include "aced.h"
#include "app/CommandTable.h"
#include "entity/PelvarClass.h"
#include "cloudfile/CloudReader.h"
#include "dbents.h"
#include "entity/Pelvar.h"
#include "hostoutput.h"
#include "rxregsvc.h"
#include "tools/samplegen/SampleCloud.h"
#include "tests/support/AppendEntity.h"
#include "ui/PanelHooks.h"

using namespace pelvartest;

namespace {

// Stands in for the module handle: an address inside this program, so the module path the
// load sequence asks for is this program's own path.
int moduleAnchor = 0;
void* const kAppId = &moduleAnchor;

std::wstring ThisProgramPath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return std::filesystem::path(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0)).wstring();
}

class LoadSequence : public ::testing::Test {
 protected:
  void TearDown() override {
    // Leave nothing registered for the next test.
    if (loaded_) acrxEntryPoint(AcRx::kUnloadAppMsg, kAppId);
  }
  void Load() {
    ASSERT_EQ(acrxEntryPoint(AcRx::kInitAppMsg, kAppId), AcRx::kRetOK);
    loaded_ = true;
  }
  void Unload() {
    ASSERT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, kAppId), AcRx::kRetOK);
    loaded_ = false;
  }
  PrivateConfig config_;
  bool loaded_ = false;
};

TEST_F(LoadSequence, PrintsTheBannerByteForByteAndNothingOnUnload) {
  pelvarhost::OutputCapture output;
  // The command line drops a line break at the start of an empty line; with text on the
  // line the banner's own leading break shows.
  pelvarhost::WriteCommandLine(L"Command: ");
  Load();
  EXPECT_EQ(output.Text(), "Command: " + kBanner);  // no main window here, so no panel line
  output.Clear();
  Unload();
  EXPECT_EQ(output.Text(), "");
}

TEST_F(LoadSequence, RegistersExactlyTheLandedCommandsInGroupMardel) {
  Load();
  for (const CommandEntry& entry : kPelvarCommands) {
    SCOPED_TRACE(std::filesystem::path(entry.globalName).string());
    AcEdCommand* command = acedRegCmds->lookupGlobalCmd(entry.globalName);
    if (entry.handler == nullptr) {
      EXPECT_EQ(command, nullptr);
      continue;
    }
    ASSERT_NE(command, nullptr);
    EXPECT_STREQ(command->groupName(), L"Mardel");
    EXPECT_STREQ(command->localName(), entry.globalName);
    EXPECT_EQ(command->commandFlags(), ACRX_CMD_MODAL);
    EXPECT_EQ(command->functionAddr(), entry.handler);
    EXPECT_EQ(command->functionCode(), -1);
    EXPECT_EQ(command->resourceHandle(), kAppId);
  }
  Unload();
  for (const std::wstring& name : kAllCommands) EXPECT_EQ(acedRegCmds->lookupGlobalCmd(name.c_str()), nullptr);
}

TEST_F(LoadSequence, CommandTableHasSeventeenEntriesInOrder) {
  ASSERT_EQ(kPelvarCommands.size(), kAllCommands.size());
  for (size_t i = 0; i < kAllCommands.size(); ++i) {
    EXPECT_EQ(std::wstring(kPelvarCommands[i].globalName), kAllCommands[i]) << i;
    EXPECT_EQ(std::wstring(kPelvarCommands[i].localName), kAllCommands[i]) << i;
    EXPECT_EQ(std::wstring(kPelvarCommands[i].group), L"Mardel") << i;
    EXPECT_EQ(kPelvarCommands[i].flags, 0) << i;
  }
}

void FirstHandler() {}
void SecondHandler() {}

TEST_F(LoadSequence, TableRegistrationSkipsEntriesWithoutHandlerAndRemovesAll) {
  const CommandEntry table[] = {{L"TestGroup", L"TABLEONE", L"TABLEONE", 0, &FirstHandler},
                                {L"TestGroup", L"TABLETWO", L"TABLETWO", 0, nullptr},
                                {L"TestGroup", L"TABLETHREE", L"TABLETHREE", 0, &SecondHandler}};
  RegisterCommands(table, kAppId);
  ASSERT_NE(acedRegCmds->lookupGlobalCmd(L"TABLEONE"), nullptr);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(L"TABLEONE")->functionAddr(), &FirstHandler);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(L"TABLETWO"), nullptr);
  ASSERT_NE(acedRegCmds->lookupGlobalCmd(L"TABLETHREE"), nullptr);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(L"TABLETHREE")->functionAddr(), &SecondHandler);
  RemoveCommands(table);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(L"TABLEONE"), nullptr);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(L"TABLETHREE"), nullptr);
}

TEST_F(LoadSequence, RegistersTheEntityClassWithItsRecordAndDeletesItOnUnload) {
  Load();
  AcRxClass* cls = acrxFindAcRxClass(L"Pelvar");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls, Pelvar::desc());
  EXPECT_STREQ(cls->parentName(), L"AcDbEntity");
  EXPECT_EQ(cls->myParent(), AcDbEntity::desc());
  EXPECT_EQ(cls->dwgVersion(), 33);
  EXPECT_EQ(cls->maintenanceVersion(), 427);
  EXPECT_EQ(cls->proxyFlags(), 0xBFF);
  EXPECT_EQ(cls->proxyFlags() & 0x400, 0);  // the proxy warning stays on
  EXPECT_STREQ(cls->dxfName(), L"PELVAR");
  EXPECT_STREQ(cls->appName(),
               L"\"Pelvar1.0|Product Desc:     Mardel KMQ1 point cloud|Company:          Mardel Geomatics"
               L"|WEB Address:      https://mardel.example\"");
  AcRxObject* made = cls->create();
  ASSERT_NE(Pelvar::cast(made), nullptr);
  EXPECT_EQ(Pelvar::cast(made)->density(), 100);
  delete made;
  Unload();
  EXPECT_EQ(acrxFindAcRxClass(L"Pelvar"), nullptr);
  // Asking for the class outside the load sequence registers nothing.
  EXPECT_EQ(Pelvar::desc(), nullptr);
  EXPECT_EQ(acrxFindAcRxClass(L"Pelvar"), nullptr);
}

// Independent check of the application name's layout: every value of fields 2 to 4
// starts at the nineteenth character of its field.
TEST_F(LoadSequence, ApplicationNameValuesAlignAtTheNineteenthCharacter) {
  std::wstring name = kPelvarClassRecord.appName;
  ASSERT_GE(name.size(), 2u);
  ASSERT_EQ(name.front(), L'"');
  ASSERT_EQ(name.back(), L'"');
  name = name.substr(1, name.size() - 2);
  std::vector<std::wstring> fields;
  for (size_t start = 0;;) {
    size_t bar = name.find(L'|', start);
    fields.push_back(name.substr(start, bar - start));
    if (bar == std::wstring::npos) break;
    start = bar + 1;
  }
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0], L"Pelvar1.0");
  const std::wstring labels[] = {L"Product Desc:", L"Company:", L"WEB Address:"};
  const std::wstring values[] = {L"Mardel KMQ1 point cloud", L"Mardel Geomatics", L"https://mardel.example"};
  for (int i = 0; i < 3; ++i) {
    const std::wstring& field = fields[i + 1];
    EXPECT_EQ(field.rfind(labels[i], 0), 0u) << i;
    EXPECT_EQ(field.find_first_not_of(L' ', labels[i].size()), 18u) << i;
    EXPECT_EQ(field.substr(18), values[i]) << i;
  }
}

TEST_F(LoadSequence, UnloadEmptiesTheCloudCache) {
  const std::string path = (config_ / "cached.kmt").string();
  SampleCloudRequest request;
  request.pointCount = 1000;
  ASSERT_TRUE(WriteSampleCloud(request, path, false));
  Load();
  KmqDataPtr held = LoadCloudFile(std::filesystem::path(path).wstring());
  ASSERT_NE(held, nullptr);
  ASSERT_EQ(CloudCacheSize(), 1u);
  Unload();
  EXPECT_EQ(CloudCacheSize(), 0u);
  // A reference held elsewhere stays valid.
  EXPECT_EQ(held->pointCount, 1000u);
}

TEST_F(LoadSequence, WritesTheDemandLoadDataWithNineteenCommandsAndNotAbout) {
  Load();
  EXPECT_EQ(StringValue(kAppKey, L"LOADER"), ThisProgramPath());
  EXPECT_EQ(StringValue(kAppKey, L"DESCRIPTION"), L"Mardel KMQ1 point cloud");
  EXPECT_EQ(ValueNames(kAppKey + L"\\Groups"), std::vector<std::wstring>{L"MARDEL"});
  const std::vector<std::wstring> expected = {
      L"PELVARPANEL",   L"PELVARATTACH", L"PELVARPICK",   L"PELVARCLS",    L"PELVARMODE",   L"PELVARPROF",
      L"PELVARSURF",    L"PELVARCOGO",   L"PELVARRECLASS", L"PELVARCROP",  L"PELVARPROFC",  L"PELVARAUTOCLS",
      L"PELVARDEFCLS",  L"PELVARFETCH",  L"PELVARMIRROR", L"PELVARHELP",
      L"PELVARIMPORT",  L"PELVAREXPORT", L"PELVARDEM"};
  const std::vector<std::wstring> written = ValueNames(kAppKey + L"\\Commands");
  EXPECT_EQ(written, expected);
  EXPECT_EQ(std::count(written.begin(), written.end(), L"PELVARABOUT"), 0);
  for (const std::wstring& name : written) EXPECT_EQ(StringValue(kAppKey + L"\\Commands", name), name);
  // Load reasons: on proxy detection (1) and on command invocation (4).
  pelvarhost::reg::Hive hive = pelvarhost::reg::LoadHive();
  pelvarhost::reg::Key* key = pelvarhost::reg::FindKey(hive, kAppKey);
  ASSERT_NE(key, nullptr);
  pelvarhost::reg::Value* reasons = pelvarhost::reg::FindValue(*key, L"LOADCTRLS");
  ASSERT_NE(reasons, nullptr);
  EXPECT_EQ(reasons->type, 4u);  // REG_DWORD
  ASSERT_EQ(reasons->data.size(), 4u);
  EXPECT_EQ(reasons->data[0], 5);
}

// Opens a drawing through the document manager (its reactors see it activated) and closes
// it again (they see it go). With `cloud`, model space holds a cloud entity.
void OpenAndCloseDrawing(bool cloud) {
  auto db = std::make_unique<AcDbDatabase>();
  pelvartest::AppendEntity(db->modelSpaceId(), new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  if (cloud) pelvartest::AppendEntity(db->modelSpaceId(), new Pelvar());
  AcApDocument* opened = acDocManager->addDocument(std::move(db), L"Reactor.pvd", false);
  acDocManager->closeDocument(opened);
}

TEST_F(LoadSequence, LoadAddsTheDocumentReactorAndUnloadRemovesItBeforeTheClassGoes) {
  ResetPanelCalls();
  Load();
  OpenAndCloseDrawing(true);
  EXPECT_EQ(PanelCalls().show, 1);  // once: the reactor is added once
  SetPanelVisibleForTest(true);
  OpenAndCloseDrawing(false);
  EXPECT_EQ(PanelCalls().refresh, 1);  // activated while visible
  EXPECT_EQ(PanelCalls().hide, 1);     // closed while visible
  Unload();
  EXPECT_EQ(PanelCalls().destroy, 1);
  EXPECT_EQ(acrxFindAcRxClass(L"Pelvar"), nullptr);
  // Without the reactor nothing answers any more.
  ResetPanelCalls();
  SetPanelVisibleForTest(true);
  OpenAndCloseDrawing(false);
  EXPECT_EQ(PanelCalls().show + PanelCalls().refresh + PanelCalls().hide, 0);
  EXPECT_EQ(acrxFindAcRxClass(L"Pelvar"), nullptr);
  // Loading again adds it again, still once.
  Load();
  ResetPanelCalls();
  OpenAndCloseDrawing(true);
  EXPECT_EQ(PanelCalls().show, 1);
  Unload();
  ResetPanelCalls();
}

TEST_F(LoadSequence, OtherMessagesAnswerOkAndUnknownCodesZero) {
  for (int code = 2; code <= 15; ++code)
    EXPECT_EQ(acrxEntryPoint(static_cast<AcRx::AppMsgCode>(code), kAppId), AcRx::kRetOK) << code;
  EXPECT_EQ(static_cast<int>(acrxEntryPoint(static_cast<AcRx::AppMsgCode>(16), kAppId)), 0);
  EXPECT_EQ(static_cast<int>(acrxEntryPoint(static_cast<AcRx::AppMsgCode>(99), kAppId)), 0);
  // None of them registered anything.
  EXPECT_EQ(acrxFindAcRxClass(L"Pelvar"), nullptr);
}

AcRxObject* MakeNothing() { return nullptr; }

TEST(LoadSequenceDeathTest, AnotherClassNamedPelvarAbortsWithClassMismatch) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PrivateConfig config;
  EXPECT_EXIT(
      {
        UnregisterPelvarClass();
        newAcRxClass(L"Pelvar", L"AcDbEntity", 33, 427, 0, &MakeNothing, L"PELVAR", L"someone else");
        acrxEntryPoint(AcRx::kInitAppMsg, kAppId);
      },
      ::testing::ExitedWithCode(3), "Fatal host error: Class mismatch\n");
}

}  // namespace
