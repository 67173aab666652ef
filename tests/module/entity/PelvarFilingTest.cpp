// Filing of the cloud entity: the record layout, round trips through the host filer and
// through saved drawings, older records, and records from a newer version.
#include <gtest/gtest.h>

#include <cstring>

#include "EntitySupport.h"
#include "dbdrawing.h"
#include "dbproxy.h"
#include "entity/PelvarClass.h"

using namespace pelvartest;

namespace {

class PelvarFiling : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
};

// Reads a record into a fresh entity; returns the status.
Acad::ErrorStatus ReadInto(Pelvar& p, const std::vector<uint8_t>& record) {
  pelvarhost::MemoryFiler filer(record);
  return p.dwgInFields(&filer);
}

FiledSnapshot FullSnapshot() {
  Pelvar p;
  FillAllFields(p);
  return Snapshot(p);
}

FiledSnapshot DefaultSnapshot() {
  Pelvar p;
  return Snapshot(p);
}

TEST_F(PelvarFiling, RecordMatchesTheHandWrittenLayoutByteForByte) {
  Pelvar p;
  FillAllFields(p);
  EXPECT_EQ(RecordOf(p), HandRecord(4, Snapshot(p)));
}

TEST_F(PelvarFiling, FilerRoundTripReproducesEveryField) {
  Pelvar written;
  FillAllFields(written);
  Pelvar read;
  ASSERT_EQ(ReadInto(read, RecordOf(written)), Acad::eOk);
  EXPECT_EQ(Snapshot(read), Snapshot(written));
  // Several edits, in the order made, including the high bits of the filed class.
  ASSERT_EQ(read.reclassEdits().size(), 3u);
  EXPECT_EQ(read.reclassEdits()[1].cls, 17);
  EXPECT_EQ(read.reclassEdits()[2].cls, 0x1FF);
  // Written again, the record is the same bytes.
  EXPECT_EQ(RecordOf(read), RecordOf(written));
}

TEST_F(PelvarFiling, DefaultEntityRoundTrips) {
  Pelvar written;
  Pelvar read;
  FillAllFields(read);  // every field must be overwritten by the read
  ASSERT_EQ(ReadInto(read, RecordOf(written)), Acad::eOk);
  EXPECT_EQ(Snapshot(read), DefaultSnapshot());
}

TEST_F(PelvarFiling, OlderRecordsReadWithDefaultsForMissingFields) {
  const FiledSnapshot full = FullSnapshot();
  const FiledSnapshot defaults = DefaultSnapshot();
  for (int16_t version = 1; version <= 4; ++version) {
    SCOPED_TRACE(version);
    Pelvar read;
    FillAllFields(read, L"/somewhere/else.kmt");
    ASSERT_EQ(ReadInto(read, HandRecord(version, full)), Acad::eOk);
    FiledSnapshot expected = full;
    if (version < 2) expected.edits = defaults.edits;
    if (version < 3) {
      expected.elevFilterOn = defaults.elevFilterOn;
      expected.elevMin = defaults.elevMin;
      expected.elevMax = defaults.elevMax;
    }
    if (version < 4) expected.autoClassify = defaults.autoClassify;
    EXPECT_EQ(Snapshot(read), expected);
    // The entity always writes the current version.
    EXPECT_EQ(RecordOf(read), HandRecord(4, expected));
  }
}

TEST_F(PelvarFiling, VersionOneRecordHasNoEditsWindowOrAutoClassification) {
  FiledSnapshot v1 = FullSnapshot();
  Pelvar read;
  ASSERT_EQ(ReadInto(read, HandRecord(1, v1)), Acad::eOk);
  EXPECT_EQ(read.cloudPath(), v1.cloudPath);
  EXPECT_EQ(read.classMask(), 0x80000046u);
  EXPECT_EQ(read.colorMode(), 2);
  EXPECT_EQ(read.density(), 37);
  EXPECT_TRUE(read.reclassEdits().empty());
  EXPECT_FALSE(read.elevFilterOn());
  EXPECT_EQ(read.elevMin(), 0.0);
  EXPECT_EQ(read.elevMax(), 0.0);
  EXPECT_FALSE(read.autoClassify());
  EXPECT_FALSE(read.overridesDirty());
}

TEST_F(PelvarFiling, UnknownVersionsAskToBeKeptAsProxies) {
  const FiledSnapshot full = FullSnapshot();
  for (int16_t version : {int16_t{5}, int16_t{77}, int16_t{0}, int16_t{-1}}) {
    SCOPED_TRACE(version);
    Pelvar read;
    EXPECT_EQ(ReadInto(read, HandRecord(version, full, {1, 2, 3})), Acad::eMakeMeProxy);
    EXPECT_EQ(Snapshot(read), DefaultSnapshot());
  }
}

TEST_F(PelvarFiling, TruncatedRecordFailsAndLeavesTheEntityUnchanged) {
  Pelvar written;
  FillAllFields(written);
  std::vector<uint8_t> record = RecordOf(written);
  record.resize(record.size() - 5);
  Pelvar read;
  read.setDensity(55);
  EXPECT_NE(ReadInto(read, record), Acad::eOk);
  FiledSnapshot expected = DefaultSnapshot();
  expected.density = 55;
  EXPECT_EQ(Snapshot(read), expected);
}

TEST_F(PelvarFiling, DamagedEditCountStopsAtTheEndOfTheRecord) {
  FiledSnapshot s = DefaultSnapshot();
  s.edits = {{0, 0, 1, 1, 2}};
  std::vector<uint8_t> record = HandRecord(2, s);
  // The count sits after the prefix, version, path, matrix, mask, mode and density.
  const size_t countAt = EntityPrefix().size() + 2 + 4 + s.cloudPath.size() + 16 * 8 + 4 + 1 + 2;
  const uint32_t huge = 0xFFFFFFF0u;
  std::memcpy(record.data() + countAt, &huge, 4);
  Pelvar read;
  EXPECT_NE(ReadInto(read, record), Acad::eOk);
  EXPECT_TRUE(read.reclassEdits().empty());
}

TEST_F(PelvarFiling, ReadingEditsOrAutoClassificationMarksOverridesDirty) {
  FiledSnapshot s = DefaultSnapshot();
  Pelvar plain;
  plain.setOverridesDirty(true);
  ASSERT_EQ(ReadInto(plain, HandRecord(4, s)), Acad::eOk);
  EXPECT_FALSE(plain.overridesDirty());
  EXPECT_EQ(plain.ClassOverrides(), nullptr);

  FiledSnapshot withEdit = s;
  withEdit.edits = {{0, 0, 5, 5, 6}};
  Pelvar edited;
  ASSERT_EQ(ReadInto(edited, HandRecord(2, withEdit)), Acad::eOk);
  EXPECT_TRUE(edited.overridesDirty());

  FiledSnapshot withAuto = s;
  withAuto.autoClassify = true;
  Pelvar automatic;
  ASSERT_EQ(ReadInto(automatic, HandRecord(4, withAuto)), Acad::eOk);
  EXPECT_TRUE(automatic.overridesDirty());
}

TEST_F(PelvarFiling, ReadingDropsTheOverrideArray) {
  Pelvar p;
  p.classOverridesSlot() = std::make_shared<ClassOverrideArray>(4, uint8_t{6});
  ASSERT_EQ(ReadInto(p, HandRecord(4, DefaultSnapshot())), Acad::eOk);
  EXPECT_EQ(p.classOverridesSlot(), nullptr);
}

// --- Through saved drawings.

TEST_F(PelvarFiling, SavedAndReopenedDrawingKeepsEveryField) {
  TempFolder folder;
  const std::wstring path = (folder / "fields.pvd").wstring();
  FiledSnapshot expected;
  AcDbHandle handle;
  {
    AcDbDatabase db;
    auto* p = new Pelvar();
    FillAllFields(*p);
    expected = Snapshot(*p);
    handle = AppendForHandle(db, p);
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk) << pelvarhost::LastDrawingFileError();
  }
  AcDbDatabase reopened(false);
  ASSERT_EQ(reopened.readDwgFile(path.c_str()), Acad::eOk) << pelvarhost::LastDrawingFileError();
  Pelvar* p = nullptr;
  ASSERT_EQ(acdbOpenObject(p, IdOf(reopened, handle), AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(Snapshot(*p), expected);
  EXPECT_TRUE(p->overridesDirty());
  p->close();
}

TEST_F(PelvarFiling, NewerRecordStaysAProxyAndSavesBackUnchanged) {
  TempFolder folder;
  const std::wstring first = (folder / "newer.pvd").wstring();
  const std::wstring second = (folder / "newer-again.pvd").wstring();
  const std::vector<uint8_t> record = HandRecord(5, FullSnapshot(), {0xDE, 0xAD, 0xBE, 0xEF, 9});
  AcDbHandle handle;
  {
    AcDbDatabase db;
    handle = AppendForHandle(db, new AcDbProxyEntity(L"Pelvar", L"PELVAR", record));
    ASSERT_EQ(db.saveAs(first.c_str()), Acad::eOk) << pelvarhost::LastDrawingFileError();
  }
  {
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(first.c_str()), Acad::eOk) << pelvarhost::LastDrawingFileError();
    AcDbProxyEntity* proxy = nullptr;
    ASSERT_EQ(acdbOpenObject(proxy, IdOf(db, handle), AcDb::kForRead), Acad::eOk)
        << "a version-5 record must stay a proxy while the entity class is registered";
    EXPECT_EQ(proxy->originalRecord(), record);
    proxy->close();
    ASSERT_EQ(db.saveAs(second.c_str()), Acad::eOk) << pelvarhost::LastDrawingFileError();
  }
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(second.c_str()), Acad::eOk) << pelvarhost::LastDrawingFileError();
  AcDbProxyEntity* proxy = nullptr;
  ASSERT_EQ(acdbOpenObject(proxy, IdOf(db, handle), AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(proxy->originalRecord(), record);
  EXPECT_EQ(std::wstring(proxy->originalClassName()), L"Pelvar");
  proxy->close();
}

}  // namespace
