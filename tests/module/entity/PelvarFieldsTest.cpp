// The cloud entity's defaults, field access, image loading and transformation.
#include <gtest/gtest.h>

#include <regex>

#include "EntitySupport.h"
#include "cloudfile/CloudReader.h"
#include "entity/PelvarClass.h"
#include "hostoutput.h"
#include "tools/samplegen/SampleCloud.h"
#include "wideutf8.h"

using namespace pelvartest;

namespace {

SampleCloudRequest SmallCloud(uint64_t seed) {
  SampleCloudRequest request;
  request.pointCount = 2000;
  request.seed = seed;
  return request;
}

class PelvarFields : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }
  void SetUp() override { ClearCloudCache(); }
  void TearDown() override { ClearCloudCache(); }
  TempFolder folder_;
};

TEST_F(PelvarFields, NewEntityHasTheDocumentedDefaults) {
  Pelvar p;
  EXPECT_EQ(p.cloudPath(), L"");
  for (unsigned r = 0; r < 4; ++r)
    for (unsigned c = 0; c < 4; ++c) EXPECT_EQ(p.transform().entry[r][c], r == c ? 1.0 : 0.0);
  EXPECT_EQ(p.classMask(), 0xFFFFFFC5u);
  EXPECT_EQ(p.colorMode(), 0);
  EXPECT_EQ(p.density(), 100);
  EXPECT_TRUE(p.reclassEdits().empty());
  EXPECT_FALSE(p.elevFilterOn());
  EXPECT_EQ(p.elevMin(), 0.0);
  EXPECT_EQ(p.elevMax(), 0.0);
  EXPECT_FALSE(p.autoClassify());
  EXPECT_FALSE(p.overridesDirty());
  EXPECT_EQ(p.CloudData(), nullptr);
  EXPECT_EQ(p.ClassOverrides(), nullptr);
}

TEST_F(PelvarFields, IsTheRegisteredClassAndThePseudoConstructorMakesADefaultEntity) {
  Pelvar p;
  ASSERT_NE(p.isA(), nullptr);
  EXPECT_STREQ(p.isA()->name(), L"Pelvar");
  EXPECT_TRUE(p.isA()->isDerivedFrom(AcDbEntity::desc()));
  AcRxObject* made = Pelvar::desc()->create();
  Pelvar* created = Pelvar::cast(made);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(Snapshot(*created), Snapshot(p));
  delete made;
}

TEST_F(PelvarFields, ChangesNeedWriteAccess) {
  TempFolder folder;
  AcDbDatabase db;
  auto* p = new Pelvar();
  const AcDbObjectId id = AppendToModelSpace(db, p);
  Pelvar* reader = nullptr;
  ASSERT_EQ(acdbOpenObject(reader, id, AcDb::kForRead), Acad::eOk);
  const int before = pelvarhost::OpenStateErrorCount();
  reader->setDensity(5);
  EXPECT_EQ(pelvarhost::OpenStateErrorCount(), before + 1);
  EXPECT_NE(pelvarhost::LastOpenStateError().find(L"changed while not open for write"), std::wstring::npos);
  // Reading on an entity open for read is fine.
  (void)reader->classMask();
  EXPECT_EQ(pelvarhost::OpenStateErrorCount(), before + 1);
  reader->close();
}

TEST_F(PelvarFields, CloudDataLoadsThroughTheCacheAndSharesTheImage) {
  const std::string path = (folder_ / "a.kmt").string();
  ASSERT_TRUE(WriteSampleCloud(SmallCloud(3), path, false));
  Pelvar p;
  p.setCloudPath(std::filesystem::path(path).wstring());
  KmqDataPtr data = p.CloudData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->pointCount, 2000u);
  EXPECT_EQ(p.CloudData(), data);
  // The same image as any other user of the path gets from the cache.
  EXPECT_EQ(LoadCloudFile(std::filesystem::path(path).wstring()), data);
  EXPECT_EQ(CloudCacheSize(), 1u);
}

TEST_F(PelvarFields, FailedLoadIsNotRememberedAndPrintsNothing) {
  const std::string path = (folder_ / "later.kmt").string();
  Pelvar p;
  p.setCloudPath(std::filesystem::path(path).wstring());
  pelvarhost::OutputCapture output;
  EXPECT_EQ(p.CloudData(), nullptr);
  EXPECT_EQ(p.CloudData(), nullptr);
  ASSERT_TRUE(WriteSampleCloud(SmallCloud(4), path, false));
  KmqDataPtr data = p.CloudData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->pointCount, 2000u);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(PelvarFields, NewPathDropsTheLoadedImage) {
  const std::string first = (folder_ / "first.kmt").string();
  const std::string second = (folder_ / "second.kmt").string();
  SampleCloudRequest other = SmallCloud(5);
  other.pointCount = 1500;
  ASSERT_TRUE(WriteSampleCloud(SmallCloud(5), first, false));
  ASSERT_TRUE(WriteSampleCloud(other, second, true));
  Pelvar p;
  p.setCloudPath(std::filesystem::path(first).wstring());
  ASSERT_NE(p.CloudData(), nullptr);
  EXPECT_EQ(p.CloudData()->pointCount, 2000u);
  p.setCloudPath(std::filesystem::path(second).wstring());
  ASSERT_NE(p.CloudData(), nullptr);
  EXPECT_EQ(p.CloudData()->pointCount, 1500u);
}

TEST_F(PelvarFields, ReadingARecordWithAnotherPathLoadsTheNewFile) {
  const std::string first = (folder_ / "one.kmt").string();
  const std::string second = (folder_ / "two.kmt").string();
  SampleCloudRequest other = SmallCloud(6);
  other.pointCount = 1200;
  ASSERT_TRUE(WriteSampleCloud(SmallCloud(6), first, false));
  ASSERT_TRUE(WriteSampleCloud(other, second, false));
  Pelvar p;
  p.setCloudPath(std::filesystem::path(first).wstring());
  ASSERT_NE(p.CloudData(), nullptr);
  Pelvar source;
  source.setCloudPath(std::filesystem::path(second).wstring());
  pelvarhost::MemoryFiler filer(RecordOf(source));
  ASSERT_EQ(p.dwgInFields(&filer), Acad::eOk);
  ASSERT_NE(p.CloudData(), nullptr);
  EXPECT_EQ(p.CloudData()->pointCount, 1200u);
}

TEST_F(PelvarFields, ClassOverridesAreEmptyWithoutEditsEvenWithALoadedCloud) {
  const std::string path = (folder_ / "plain.kmt").string();
  ASSERT_TRUE(WriteSampleCloud(SmallCloud(7), path, false));
  Pelvar p;
  p.setCloudPath(std::filesystem::path(path).wstring());
  ASSERT_NE(p.CloudData(), nullptr);
  EXPECT_EQ(p.ClassOverrides(), nullptr);
  EXPECT_FALSE(p.overridesDirty());
}

TEST_F(PelvarFields, ClassOverridesOfAnUnloadableCloudAreEmptyAndStayDirty) {
  Pelvar p;
  p.setCloudPath(L"/no/such/folder/cloud.kmt");
  p.appendReclassEdit({0, 0, 1, 1, 6});
  p.setOverridesDirty(true);
  EXPECT_EQ(p.ClassOverrides(), nullptr);
  EXPECT_TRUE(p.overridesDirty());
}

TEST_F(PelvarFields, TransformByAppliesTheNewTransformationAfterTheOld) {
  Pelvar p;
  const AcGeMatrix3d old = AcGeMatrix3d::scaling(2.0) * AcGeMatrix3d::translation(AcGeVector3d(1, 2, 3));
  p.setTransform(old);
  const AcGeMatrix3d move = AcGeMatrix3d::rotation(0.5, AcGeVector3d(0, 0, 1), AcGePoint3d(10, 0, 0));
  ASSERT_EQ(p.transformBy(move), Acad::eOk);
  // A cloud point lands where the old transformation and then the move take it.
  const AcGePoint3d cloudPoint(4, -5, 6);
  AcGePoint3d viaEntity = cloudPoint;
  viaEntity.transformBy(p.transform());
  AcGePoint3d stepwise = cloudPoint;
  stepwise.transformBy(old);
  stepwise.transformBy(move);
  EXPECT_NEAR(viaEntity.x, stepwise.x, 1e-9);
  EXPECT_NEAR(viaEntity.y, stepwise.y, 1e-9);
  EXPECT_NEAR(viaEntity.z, stepwise.z, 1e-9);
}

TEST_F(PelvarFields, ListShowsAnElevationWindowOfHugeBoundsInFull) {
  Pelvar p;
  p.setElevationWindow(true, -1e200, 1e200);
  std::vector<std::wstring> lines;
  p.list(lines);
  std::string listed;
  for (const std::wstring& line : lines) listed += pelvarhost::WideToUtf8(line) + "\n";
  EXPECT_TRUE(std::regex_search(listed, std::regex("\nElevation window: -\\d{200}\\.00 to \\d{200}\\.00\n"))) << listed;
}

}  // namespace
