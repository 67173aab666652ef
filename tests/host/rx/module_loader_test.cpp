// Loading the test module, its entities surviving an unload as proxies and coming back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "dbdrawing.h"
#include "dbmemfiler.h"
#include "dbproxy.h"
#include "dbsymtb.h"
#include "rxmodule.h"
#include "rxregsvc.h"
#include "wcrt.h"
#include "wideutf8.h"
#include "tests/support/AppendEntity.h"

namespace {

const std::wstring kModulePath = pelvarhost::Utf8ToWide(PELVAR_TEST_MODULE_PATH);
constexpr const wchar_t* kClassName = L"PvTestEntity";

std::vector<char> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path TempPath(const char* name) {
  return std::filesystem::temp_directory_path() / (std::string("pelvar_rx_") + std::to_string(::getpid()) + name);
}

// A test entity made through the class's pseudo-constructor and filled through its reader.
AcDbEntity* MakeTestEntity(const wchar_t* layer, const wchar_t* label, double value, Adesk::Int32 count) {
  AcRxClass* cls = acrxFindAcRxClass(kClassName);
  if (cls == nullptr) return nullptr;
  AcDbEntity* entity = AcDbEntity::cast(cls->create());
  pelvarhost::MemoryFiler record;
  record.writeString(layer);
  record.writeUInt16(3);
  record.writeInt16(1);
  record.writeString(label);
  record.writeDouble(value);
  record.writeInt32(count);
  pelvarhost::MemoryFiler reader(record.bytes());
  EXPECT_EQ(Acad::eOk, entity->dwgInFields(&reader));
  return entity;
}

void AddLayer(AcDbDatabase& db, const wchar_t* name) {
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(Acad::eOk, db.getLayerTable(layers, AcDb::kForWrite));
  auto* layer = new AcDbLayerTableRecord();
  layer->setName(name);
  EXPECT_EQ(Acad::eOk, layers->add(layer));
  layer->close();
  layers->close();
}

using pelvartest::AppendToModelSpace;

std::vector<std::wstring> ListOf(AcDbObjectId id) {
  std::vector<std::wstring> lines;
  AcDbEntity* entity = nullptr;
  EXPECT_EQ(Acad::eOk, acdbOpenAcDbEntity(entity, id, AcDb::kForRead));
  if (entity != nullptr) {
    entity->list(lines);
    entity->close();
  }
  return lines;
}

std::wstring ClassOf(AcDbObjectId id) {
  AcDbObject* object = nullptr;
  if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) return L"";
  std::wstring name = object->isA()->name();
  object->close();
  return name;
}

class ModuleLoaderTest : public ::testing::Test {
 protected:
  void TearDown() override { pelvarhost::UnloadAllModules(); }
};

TEST_F(ModuleLoaderTest, LoadRegistersTheClassAndUnloadRemovesIt) {
  std::wstring error;
  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error)) << pelvarhost::WideToUtf8(error);
  AcRxClass* cls = acrxFindAcRxClass(kClassName);
  ASSERT_NE(nullptr, cls);
  EXPECT_TRUE(cls->isDerivedFrom(AcDbEntity::desc()));
  EXPECT_STREQ(L"PVTESTENTITY", cls->dxfName());
  EXPECT_EQ(0xBFF, cls->proxyFlags());
  EXPECT_EQ(33, cls->dwgVersion());
  EXPECT_EQ(427, cls->maintenanceVersion());

  auto modules = pelvarhost::LoadedModules();
  ASSERT_EQ(1u, modules.size());
  EXPECT_EQ(L"pelvartestmodule.so", modules[0].name);
  EXPECT_FALSE(modules[0].locked);
  EXPECT_TRUE(modules[0].mdiAware);
  EXPECT_FALSE(acrxDynamicLinker->isApplicationLocked(L"PELVARTESTMODULE"));

  // The name matches without case and without extension.
  ASSERT_TRUE(pelvarhost::UnloadModule(L"PelvarTestModule", error)) << pelvarhost::WideToUtf8(error);
  EXPECT_EQ(nullptr, acrxFindAcRxClass(kClassName));
  EXPECT_TRUE(pelvarhost::LoadedModules().empty());
}

TEST_F(ModuleLoaderTest, ErrorsNameTheModuleAndTheReason) {
  std::wstring error;
  EXPECT_FALSE(pelvarhost::UnloadModule(L"nosuch.arx", error));
  EXPECT_EQ(L"\"nosuch.arx\" is not loaded", error);

  EXPECT_FALSE(pelvarhost::LoadModule(L"/nonexistent/x.arx", error));
  EXPECT_EQ(0u, error.rfind(L"\"/nonexistent/x.arx\" cannot be loaded: ", 0)) << pelvarhost::WideToUtf8(error);

  const std::wstring notAModule = pelvarhost::Utf8ToWide(PELVAR_BUILD_DIR "/libpelvarhost.so");
  EXPECT_FALSE(pelvarhost::LoadModule(notAModule, error));
  EXPECT_EQ(L"\"libpelvarhost.so\" is not a host module: it does not export acrxEntryPoint", error);

  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error));
  EXPECT_FALSE(pelvarhost::LoadModule(kModulePath, error));
  EXPECT_EQ(L"\"pelvartestmodule.so\" is already loaded", error);
}

TEST_F(ModuleLoaderTest, ABareFileNameIsAFileOfTheCurrentFolder) {
  const std::filesystem::path modulePath(PELVAR_TEST_MODULE_PATH);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(modulePath.parent_path());
  std::wstring error;
  const bool loaded = pelvarhost::LoadModule(modulePath.filename().wstring(), error);
  std::filesystem::current_path(previous);
  ASSERT_TRUE(loaded) << pelvarhost::WideToUtf8(error);
  auto modules = pelvarhost::LoadedModules();
  ASSERT_EQ(1u, modules.size());
  EXPECT_EQ(modulePath.wstring(), modules[0].path);
  EXPECT_NE(nullptr, acrxFindAcRxClass(kClassName));
}

TEST_F(ModuleLoaderTest, ModulePathComesFromItsHandle) {
  wchar_t buffer[4096];
  DWORD n = GetModuleFileNameW(nullptr, buffer, 4096);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::wstring(buffer).find(L"test_host_rx") != std::wstring::npos, true);
  // A buffer too small gets the cut path, terminated.
  wchar_t small[5];
  EXPECT_EQ(5u, GetModuleFileNameW(nullptr, small, 5));
  EXPECT_EQ(4u, std::wcslen(small));
}

TEST_F(ModuleLoaderTest, EntitiesSurviveUnloadAsProxiesAndComeBackOnReload) {
  std::wstring error;
  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error)) << pelvarhost::WideToUtf8(error);
  AcDbDatabase db;
  AddLayer(db, L"CLOUDS");

  AcDbObjectId first = AppendToModelSpace(db, MakeTestEntity(L"CLOUDS", L"first é", 1.5, 7));
  AcDbObjectId second = AppendToModelSpace(db, MakeTestEntity(L"0", L"second", -2.25, 9));
  const std::vector<std::wstring> listedBefore = ListOf(first);
  ASSERT_EQ(6u, listedBefore.size());
  EXPECT_EQ(L"Label = first é", listedBefore[4]);
  EXPECT_EQ(L"Value = 1.500  Count = 7", listedBefore[5]);

  const auto before = TempPath("_before.pvd");
  const auto during = TempPath("_during.pvd");
  const auto reread = TempPath("_reread.pvd");
  ASSERT_EQ(Acad::eOk, db.saveAs(before.wstring().c_str()));

  ASSERT_TRUE(pelvarhost::UnloadModule(L"pelvartestmodule.so", error)) << pelvarhost::WideToUtf8(error);
  EXPECT_EQ(L"AcDbProxyEntity", ClassOf(first));
  EXPECT_EQ(L"AcDbProxyEntity", ClassOf(second));
  AcDbEntity* entity = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenAcDbEntity(entity, first, AcDb::kForRead));
  EXPECT_STREQ(L"CLOUDS", entity->layer());
  EXPECT_STREQ(kClassName, AcDbProxyEntity::cast(entity)->originalClassName());
  EXPECT_EQ(0xBFF, AcDbProxyEntity::cast(entity)->proxyFlags());
  entity->close();

  // Proxies write their records back unchanged: the saved drawing is byte-identical.
  ASSERT_EQ(Acad::eOk, db.saveAs(during.wstring().c_str()));
  EXPECT_EQ(FileBytes(before), FileBytes(during));

  // A drawing read while the class is missing holds proxies and saves back the same bytes.
  AcDbDatabase other(false);
  ASSERT_EQ(Acad::eOk, other.readDwgFile(before.wstring().c_str()));
  ASSERT_EQ(Acad::eOk, other.saveAs(reread.wstring().c_str()));
  EXPECT_EQ(FileBytes(before), FileBytes(reread));

  // Loading the module again brings every proxy back, in both databases, fields intact.
  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error)) << pelvarhost::WideToUtf8(error);
  EXPECT_EQ(kClassName, ClassOf(first));
  EXPECT_EQ(kClassName, ClassOf(second));
  EXPECT_EQ(listedBefore, ListOf(first));
  EXPECT_EQ(L"Value = -2.250  Count = 9", ListOf(second)[5]);
  AcDbObjectId otherFirst;
  ASSERT_EQ(Acad::eOk, other.getAcDbObjectId(otherFirst, false, first.handle()));
  EXPECT_EQ(listedBefore, ListOf(otherFirst));

  for (const auto& path : {before, during, reread}) std::filesystem::remove(path);
}

TEST_F(ModuleLoaderTest, ANewerRecordStaysAProxyEvenWithTheClassLoaded) {
  std::wstring error;
  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error));
  AcDbDatabase db;
  AcDbObjectId id = AppendToModelSpace(db, MakeTestEntity(L"0", L"x", 1.0, 1));
  AcDbObject* object = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(object, id, AcDb::kForRead));
  pelvarhost::MemoryFiler out(&db);
  ASSERT_EQ(Acad::eOk, object->dwgOutFields(&out));
  object->close();
  // Version field sits after the layer string (4 + 1 bytes) and the colour (2 bytes).
  std::vector<std::uint8_t> bytes = out.bytes();
  bytes[7] = 2;
  AcDbObject* fresh = AcDbObject::cast(acrxFindAcRxClass(kClassName)->create());
  pelvarhost::MemoryFiler in(bytes, &db);
  EXPECT_EQ(Acad::eMakeMeProxy, fresh->dwgInFields(&in));
  delete fresh;
}

TEST_F(ModuleLoaderTest, ARecordItsReaderRefusesIsReadAsAProxyAndSavedBackUnchanged) {
  std::wstring error;
  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error)) << pelvarhost::WideToUtf8(error);
  // A drawing with a current record and one of a later version (2) of the same class.
  pelvarhost::MemoryFiler newer;
  newer.writeString(L"0");
  newer.writeUInt16(3);
  newer.writeInt16(2);
  newer.writeString(L"from a later release");
  newer.writeDouble(4.0);
  newer.writeInt32(5);
  AcDbDatabase db;
  AcDbObjectId current = AppendToModelSpace(db, MakeTestEntity(L"0", L"current", 1.0, 1));
  AcDbObjectId later = AppendToModelSpace(db, new AcDbProxyEntity(kClassName, L"PVTESTENTITY", newer.bytes()));
  const auto path = TempPath("_newer.pvd");
  const auto again = TempPath("_newer_again.pvd");
  ASSERT_EQ(Acad::eOk, db.saveAs(path.wstring().c_str()));

  // Read with the class loaded: the current record comes back as the entity, the later
  // one stays a proxy of its class holding its record byte for byte.
  AcDbDatabase read(false);
  ASSERT_EQ(Acad::eOk, read.readDwgFile(path.wstring().c_str()))
      << pelvarhost::WideToUtf8(pelvarhost::LastDrawingFileError());
  AcDbObjectId readCurrent, readLater;
  ASSERT_EQ(Acad::eOk, read.getAcDbObjectId(readCurrent, false, current.handle()));
  ASSERT_EQ(Acad::eOk, read.getAcDbObjectId(readLater, false, later.handle()));
  EXPECT_EQ(kClassName, ClassOf(readCurrent));
  EXPECT_EQ(L"AcDbProxyEntity", ClassOf(readLater));
  AcDbEntity* entity = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenAcDbEntity(entity, readLater, AcDb::kForRead));
  const AcDbProxyEntity* proxy = AcDbProxyEntity::cast(entity);
  ASSERT_NE(nullptr, proxy);
  EXPECT_STREQ(kClassName, proxy->originalClassName());
  EXPECT_STREQ(L"PVTESTENTITY", proxy->originalDxfName());
  EXPECT_EQ(newer.bytes(), proxy->originalRecord());
  EXPECT_EQ(0xBFF, proxy->proxyFlags());
  entity->close();

  // Building the class hierarchy again does not turn it into an entity it cannot be.
  acrxBuildClassHierarchy();
  EXPECT_EQ(L"AcDbProxyEntity", ClassOf(readLater));
  ASSERT_EQ(Acad::eOk, read.saveAs(again.wstring().c_str()));
  EXPECT_EQ(FileBytes(path), FileBytes(again));
  for (const auto& file : {path, again}) std::filesystem::remove(file);
}

}  // namespace

namespace {

TEST_F(ModuleLoaderTest, ALayerChangedWhileTheClassIsAwayIsKeptByTheProxyAndTheRevivedEntity) {
  std::wstring error;
  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error)) << pelvarhost::WideToUtf8(error);
  AcDbDatabase db;
  AddLayer(db, L"MOVED");
  AcDbObjectId id = AppendToModelSpace(db, MakeTestEntity(L"0", L"kept", 4.5, 2));

  ASSERT_TRUE(pelvarhost::UnloadModule(L"pelvartestmodule", error)) << pelvarhost::WideToUtf8(error);
  AcDbEntity* proxy = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenAcDbEntity(proxy, id, AcDb::kForWrite));
  ASSERT_NE(AcDbProxyEntity::cast(proxy), nullptr);
  EXPECT_EQ(Acad::eOk, proxy->setLayer(L"MOVED"));
  proxy->close();

  // Saved and read back while the class is still away, the proxy keeps the new layer.
  const auto saved = TempPath("_moved.pvd");
  ASSERT_EQ(Acad::eOk, db.saveAs(saved.wstring().c_str()));
  AcDbDatabase reread(false);
  ASSERT_EQ(Acad::eOk, reread.readDwgFile(saved.wstring().c_str()));
  std::filesystem::remove(saved);

  ASSERT_TRUE(pelvarhost::LoadModule(kModulePath, error)) << pelvarhost::WideToUtf8(error);
  for (AcDbDatabase* database : {&db, &reread}) {
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(space, database->modelSpaceId(), AcDb::kForRead));
    AcDbBlockTableRecordIterator* it = nullptr;
    ASSERT_EQ(Acad::eOk, space->newIterator(it));
    ASSERT_FALSE(it->done());
    AcDbObjectId revived;
    it->getEntityId(revived);
    delete it;
    space->close();
    EXPECT_EQ(kClassName, ClassOf(revived));
    const std::vector<std::wstring> lines = ListOf(revived);
    ASSERT_EQ(6u, lines.size());
    EXPECT_NE(lines[0].find(L"MOVED"), std::wstring::npos) << pelvarhost::WideToUtf8(lines[0]);
    EXPECT_EQ(L"Label = kept", lines[4]);
    EXPECT_EQ(L"Value = 4.500  Count = 2", lines[5]);
  }
}

}  // namespace
