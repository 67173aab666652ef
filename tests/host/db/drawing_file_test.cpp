// The drawing file: round trips, handles kept, truncated and damaged files refused whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <cstring>
#include <zlib.h>

#include "dbdrawing.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "wcrt.h"
#include "wideutf8.h"
#include "tests/support/AppendEntity.h"

namespace {

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("pelvar_db_" + std::to_string(::getpid()) + "_" + name);
}

std::vector<char> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

using pelvartest::AppendToModelSpace;

std::vector<std::wstring> ListOf(AcDbDatabase& db, AcDbHandle handle) {
  AcDbObjectId id;
  std::vector<std::wstring> lines;
  if (db.getAcDbObjectId(id, false, handle) != Acad::eOk) return lines;
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk) return lines;
  entity->list(lines);
  entity->close();
  return lines;
}

// A small drawing with one of each host entity, a layer, an erased entity and a view.
struct SampleDrawing {
  AcDbDatabase db;
  std::vector<AcDbHandle> handles;
  SampleDrawing() {
    AcDbLayerTable* layers = nullptr;
    EXPECT_EQ(Acad::eOk, db.getLayerTable(layers, AcDb::kForWrite));
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(L"Höhen");
    layer->setColorIndex(5);
    AcDbObjectId layerId;
    layers->add(layerId, layer);
    layer->close();
    layers->close();
    db.setClayer(layerId);
    db.setCecolorIndex(2);
    db.setViewRecord({1000.5, 2000.25, 300.0});

    auto* line = new AcDbLine({0, 0, 0}, {3, 4, 0});
    line->setDatabaseDefaults(&db);
    handles.push_back(AppendToModelSpace(db, line).handle());
    auto* erased = new AcDbPoint({9, 9, 9});
    AcDbObjectId erasedId = AppendToModelSpace(db, erased);
    AcDbEntity* reopened = nullptr;
    acdbOpenAcDbEntity(reopened, erasedId, AcDb::kForWrite);
    reopened->erase();
    reopened->close();
    auto* pline = new AcDbPolyline();
    pline->addVertexAt(0, {0, 0});
    pline->addVertexAt(1, {10, 0});
    pline->addVertexAt(2, {10, 5});
    pline->setElevation(2.5);
    pline->setClosed(true);
    handles.push_back(AppendToModelSpace(db, pline).handle());
    AcGePoint3dArray vertices;
    vertices.append({0, 0, 0});
    vertices.append({1, 2, 2});
    handles.push_back(AppendToModelSpace(db, new AcDb3dPolyline(AcDb::k3dSimplePoly, vertices)).handle());
    handles.push_back(AppendToModelSpace(db, new AcDbPoint({-1, -2, -3})).handle());
  }
};

TEST(DrawingFile, RoundTripKeepsEntitiesHandlesAndSettings) {
  SampleDrawing sample;
  const auto path = TempPath("round.pvd");
  ASSERT_EQ(Acad::eOk, sample.db.saveAs(path.wstring().c_str()));
  EXPECT_FALSE(sample.db.isModified());

  AcDbDatabase copy(false);
  ASSERT_EQ(Acad::eOk, copy.readDwgFile(path.wstring().c_str()));
  EXPECT_EQ(sample.db.handseed(), copy.handseed());
  EXPECT_EQ(1000.5, copy.viewRecord().centerX);
  EXPECT_EQ(2000.25, copy.viewRecord().centerY);
  EXPECT_EQ(300.0, copy.viewRecord().height);
  EXPECT_EQ(2, copy.cecolorIndex());
  EXPECT_EQ(sample.db.clayer().handle(), copy.clayer().handle());
  for (AcDbHandle handle : sample.handles) {
    std::vector<std::wstring> original = ListOf(sample.db, handle);
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(original, ListOf(copy, handle)) << pelvarhost::WideToUtf8(original[0]);
  }
  // The erased point is not saved; model space holds the four others in order.
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(space, copy.modelSpaceId(), AcDb::kForRead));
  ASSERT_EQ(4u, space->entityIds().size());
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(sample.handles[i], space->entityIds()[i].handle());
  space->close();
  // Saving the copy gives the same bytes.
  const auto again = TempPath("again.pvd");
  ASSERT_EQ(Acad::eOk, copy.saveAs(again.wstring().c_str()));
  EXPECT_EQ(ReadBytes(path), ReadBytes(again));
  // New objects continue after the kept handle seed.
  AcDbObjectId fresh = AppendToModelSpace(copy, new AcDbPoint({0, 0, 0}));
  EXPECT_EQ(sample.db.handseed(), fresh.handle());
  std::filesystem::remove(path);
  std::filesystem::remove(again);
}

TEST(DrawingFile, EveryTruncationIsRefusedAndTheDatabaseKeptWhole) {
  SampleDrawing sample;
  const auto path = TempPath("full.pvd");
  const auto cut = TempPath("cut.pvd");
  ASSERT_EQ(Acad::eOk, sample.db.saveAs(path.wstring().c_str()));
  const std::vector<char> full = ReadBytes(path);
  AcDbDatabase target;  // keeps its default drawing through every failed read
  const AcDbObjectId modelSpace = target.modelSpaceId();
  for (size_t length = 0; length < full.size(); ++length) {
    WriteBytes(cut, std::vector<char>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length)));
    ASSERT_EQ(Acad::eEndOfFile, target.readDwgFile(cut.wstring().c_str())) << "length " << length;
    ASSERT_EQ(L"drawing file is truncated", pelvarhost::LastDrawingFileError());
    ASSERT_EQ(modelSpace, target.modelSpaceId());
  }
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(space, modelSpace, AcDb::kForRead));
  EXPECT_TRUE(space->entityIds().empty());
  space->close();
  std::filesystem::remove(path);
  std::filesystem::remove(cut);
}

TEST(DrawingFile, DamagedFilesGiveClearErrors) {
  SampleDrawing sample;
  const auto path = TempPath("damage.pvd");
  ASSERT_EQ(Acad::eOk, sample.db.saveAs(path.wstring().c_str()));
  const std::vector<char> full = ReadBytes(path);
  AcDbDatabase target;

  std::vector<char> flipped = full;
  flipped[full.size() / 2] ^= 0x10;
  WriteBytes(path, flipped);
  EXPECT_EQ(Acad::eDwgCRCDoesNotMatch, target.readDwgFile(path.wstring().c_str()));
  EXPECT_EQ(L"drawing checksum mismatch", pelvarhost::LastDrawingFileError());

  std::vector<char> foreign = full;
  foreign[0] = 'X';
  WriteBytes(path, foreign);
  EXPECT_EQ(Acad::eInvalidDwgVersion, target.readDwgFile(path.wstring().c_str()));
  EXPECT_EQ(L"not a pelvar drawing", pelvarhost::LastDrawingFileError());

  std::vector<char> newer = full;
  newer[4] = 9;
  WriteBytes(path, newer);
  EXPECT_EQ(Acad::eInvalidDwgVersion, target.readDwgFile(path.wstring().c_str()));
  EXPECT_EQ(L"unsupported drawing format version 9", pelvarhost::LastDrawingFileError());

  std::vector<char> longer = full;
  longer.push_back(0);
  WriteBytes(path, longer);
  EXPECT_NE(Acad::eOk, target.readDwgFile(path.wstring().c_str()));
  EXPECT_EQ(L"drawing file is damaged: unexpected data after the drawing", pelvarhost::LastDrawingFileError());

  std::filesystem::remove(path);
  const std::wstring missing = TempPath("missing.pvd").wstring();
  EXPECT_EQ(Acad::eFileNotFound, target.readDwgFile(missing.c_str()));
  EXPECT_EQ(L"cannot open \"" + missing + L"\": No such file or directory", pelvarhost::LastDrawingFileError());
}

TEST(DrawingFile, SavingLeavesNoTemporaryFileAndReportsFailure) {
  SampleDrawing sample;
  const auto folder = TempPath("folder");
  std::filesystem::create_directories(folder);
  const auto path = folder / "drawing.pvd";
  ASSERT_EQ(Acad::eOk, sample.db.saveAs(path.wstring().c_str()));
  ASSERT_EQ(Acad::eOk, sample.db.saveAs(path.wstring().c_str()));  // over an existing file
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(1u, files);
  const std::wstring nowhere = (folder / "no" / "such" / "x.pvd").wstring();
  EXPECT_EQ(Acad::eFileAccessErr, sample.db.saveAs(nowhere.c_str()));
  EXPECT_EQ(0u, pelvarhost::LastDrawingFileError().rfind(L"cannot create \"", 0)) << pelvarhost::LastDrawingFileError();
  std::filesystem::remove_all(folder);
}

TEST(DrawingFile, UnknownClassesAreKeptAsProxiesByteForByte) {
  // Make a drawing holding a record of a class nobody registered, by renaming a class
  // entry of a saved file and fixing its checksum through a second save of the proxies.
  SampleDrawing sample;
  const auto path = TempPath("proxy.pvd");
  ASSERT_EQ(Acad::eOk, sample.db.saveAs(path.wstring().c_str()));
  std::vector<char> bytes = ReadBytes(path);
  const std::string from = "AcDbPoint", to = "XxDbPoint";
  auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
  ASSERT_NE(bytes.end(), at);
  std::copy(to.begin(), to.end(), at);
  // Recompute the checksum over everything before it.
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size() - 4));
  Adesk::UInt32 value = static_cast<Adesk::UInt32>(crc);
  std::memcpy(bytes.data() + bytes.size() - 4, &value, 4);
  WriteBytes(path, bytes);

  AcDbDatabase db(false);
  ASSERT_EQ(Acad::eOk, db.readDwgFile(path.wstring().c_str())) << pelvarhost::WideToUtf8(pelvarhost::LastDrawingFileError());
  std::vector<std::wstring> lines = ListOf(db, sample.handles[3]);
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(L"ACAD_PROXY_ENTITY  Layer: \"0\"", lines[0]);
  EXPECT_EQ(L"Proxy of class XxDbPoint (31 bytes kept)", lines[4]);
  const auto again = TempPath("proxy_again.pvd");
  ASSERT_EQ(Acad::eOk, db.saveAs(again.wstring().c_str()));
  EXPECT_EQ(bytes, ReadBytes(again));
  std::filesystem::remove(path);
  std::filesystem::remove(again);
}

}  // namespace
