// The Civil 3D bridge's contracts, driven against the host's civil model.
#include <gtest/gtest.h>

#include <random>

#include "aeccdb.h"
#include "civil/CivilBridge.h"
#include "civil/CivilNames.h"
#include "civilapi.h"
#include "civilhooks.h"
#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostcmdline.h"
#include "tests/support/AppendEntity.h"

namespace acad = Autodesk::AutoCAD::DatabaseServices;
namespace c3d = Autodesk::Civil;

class CivilBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    pelvarhost::SetHostHasCivil(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    pelvarhost::civil::ResetAddVerticesCallSizes();
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    pelvarhost::SetHostHasCivil(true);
  }

  std::vector<std::wstring> SurfaceNames() {
    std::vector<std::wstring> names;
    for (const AcDbObjectId& id : pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbSurfaceTin::desc())) {
      AeccDbSurfaceTin* s = nullptr;
      EXPECT_EQ(acdbOpenObject(s, id, AcDb::kForRead), Acad::eOk);
      names.push_back(s->name());
      s->close();
    }
    return names;
  }

  std::vector<std::wstring> FeatureLineNames() {
    std::vector<std::wstring> names;
    for (const AcDbObjectId& id : pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbFeatureLine::desc())) {
      AeccDbFeatureLine* f = nullptr;
      EXPECT_EQ(acdbOpenObject(f, id, AcDb::kForRead), Acad::eOk);
      names.push_back(f->name());
      f->close();
    }
    return names;
  }

  std::uint64_t NewPolyline() {
    auto* poly = new AcDb3dPolyline();
    poly->appendVertex(AcGePoint3d(0, 0, 1));
    poly->appendVertex(AcGePoint3d(10, 0, 2));
    poly->appendVertex(AcGePoint3d(10, 10, 3));
    return static_cast<std::uint64_t>(pelvartest::AppendToModelSpace(*db, poly).asOldId());
  }

  static bool Erased(std::uint64_t id) { return acad::ObjectId(static_cast<std::intptr_t>(id)).IsErased(); }

  std::unique_ptr<AcDbDatabase> db = std::make_unique<AcDbDatabase>();
  const std::vector<double> triangle = {0, 0, 1, 10, 0, 2, 0, 10, 3};
};

// --- Surfaces

TEST_F(CivilBridge, ASecondSurfaceOfTheSameNameTakesTheSuffixTwo) {
  std::wstring text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"EG", L"ground", triangle.data(), 3, text));
  EXPECT_EQ(text, L"EG");
  ASSERT_TRUE(Civil_CreateTinSurface(L"EG", L"ground", triangle.data(), 3, text));
  EXPECT_EQ(text, L"EG (2)");
  ASSERT_TRUE(Civil_CreateTinSurface(L"EG", L"ground", triangle.data(), 3, text));
  EXPECT_EQ(text, L"EG (3)");
  EXPECT_EQ(SurfaceNames(), (std::vector<std::wstring>{L"EG", L"EG (2)", L"EG (3)"}));
}

TEST_F(CivilBridge, ANameDifferingOnlyInCaseCountsAsTaken) {
  std::wstring text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"Existing Ground", L"", triangle.data(), 3, text));
  ASSERT_TRUE(Civil_CreateTinSurface(L"EXISTING GROUND", L"", triangle.data(), 3, text));
  EXPECT_EQ(text, L"EXISTING GROUND (2)");
}

TEST_F(CivilBridge, TheSurfaceGetsItsDescriptionAndTriangulatedVertices) {
  std::wstring text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"EG", L"from lidar", triangle.data(), 3, text));
  AeccDbSurfaceTin* surface = nullptr;
  auto ids = pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbSurfaceTin::desc());
  ASSERT_EQ(ids.size(), 1u);
  ASSERT_EQ(acdbOpenObject(surface, ids[0], AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(surface->description(), L"from lidar");
  EXPECT_EQ(surface->vertices().size(), 3u);
  EXPECT_EQ(surface->faceCount(), 1u);
  surface->close();
}

TEST_F(CivilBridge, LetterCaseBeyondAsciiCountsToo) {
  // The test process runs in the "C" locale, whose own case mapping knows ASCII only.
  std::wstring text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"Gr\u00e8ve", L"", triangle.data(), 3, text)) << text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"GR\u00c8VE", L"", triangle.data(), 3, text)) << text;
  EXPECT_EQ(text, L"GR\u00c8VE (2)");
  ASSERT_TRUE(Civil_PolyToFeatureLine(NewPolyline(), L"\u00c5s", text));
  ASSERT_TRUE(Civil_PolyToFeatureLine(NewPolyline(), L"\u00e5S", text));
  EXPECT_EQ(FeatureLineNames(), (std::vector<std::wstring>{L"\u00c5s", L"\u00e5S (2)"}));
}

TEST_F(CivilBridge, VerticesArriveInBatchesOfFiftyThousandAndTheRemainder) {
  constexpr std::size_t kCount = 123457;
  std::mt19937 random(42);
  std::uniform_real_distribution<double> coordinate(0, 5000);
  std::vector<double> vertices;
  for (std::size_t i = 0; i < 3 * kCount; ++i) vertices.push_back(coordinate(random));
  std::wstring text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"Big", L"", vertices.data(), kCount, text)) << text;
  EXPECT_EQ(pelvarhost::civil::AddVerticesCallSizes(), (std::vector<std::size_t>{50000, 50000, 23457}));
}

TEST_F(CivilBridge, ExactMultiplesAndEmptyArraysAddNoEmptyBatch) {
  std::vector<double> vertices(3 * 100000);
  for (std::size_t i = 0; i < 100000; ++i) {
    vertices[3 * i] = static_cast<double>(i % 400);
    vertices[3 * i + 1] = static_cast<double>(i / 400);
  }
  std::wstring text;
  ASSERT_TRUE(Civil_CreateTinSurface(L"Grid", L"", vertices.data(), 100000, text));
  EXPECT_EQ(pelvarhost::civil::AddVerticesCallSizes(), (std::vector<std::size_t>{50000, 50000}));
  pelvarhost::civil::ResetAddVerticesCallSizes();
  ASSERT_TRUE(Civil_CreateTinSurface(L"Empty", L"", nullptr, 0, text));
  EXPECT_EQ(text, L"Empty");
  EXPECT_TRUE(pelvarhost::civil::AddVerticesCallSizes().empty());
}

TEST_F(CivilBridge, AFailedSurfaceLeavesNothingBehind) {
  std::vector<double> vertices = triangle;
  vertices.push_back(1);
  vertices.push_back(std::numeric_limits<double>::infinity());
  vertices.push_back(1);
  std::wstring text;
  EXPECT_FALSE(Civil_CreateTinSurface(L"EG", L"", vertices.data(), 4, text));
  EXPECT_EQ(text, L"Vertex 3 has a coordinate that is not a finite number.");
  EXPECT_TRUE(SurfaceNames().empty());
  EXPECT_FALSE(Civil_CreateTinSurface(L"", L"", triangle.data(), 3, text));
  EXPECT_EQ(text, L"A surface name must not be empty.");
}

// --- COGO points

TEST_F(CivilBridge, ACogoPointLandsAtExactlyTheGivenPositionWithItsDescription) {
  const double x = 2612345.678901234, y = 241234.56789, z = 1023.0000001;
  std::wstring text = L"untouched";
  ASSERT_TRUE(Civil_AddCogoPoint(x, y, z, L"GROUND SHOT", text));
  ASSERT_TRUE(Civil_AddCogoPoint(1, 2, 3, L"", text));
  EXPECT_EQ(text, L"untouched");
  auto ids = pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbCogoPoint::desc());
  ASSERT_EQ(ids.size(), 2u);
  AeccDbCogoPoint* point = nullptr;
  ASSERT_EQ(acdbOpenObject(point, ids[0], AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(point->location().x, x);
  EXPECT_EQ(point->location().y, y);
  EXPECT_EQ(point->location().z, z);
  EXPECT_EQ(point->rawDescription(), L"GROUND SHOT");
  EXPECT_EQ(point->pointNumber(), 1u);
  point->close();
  ASSERT_EQ(acdbOpenObject(point, ids[1], AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(point->pointNumber(), 2u);
  point->close();
}

// --- Feature lines

TEST_F(CivilBridge, AFeatureLineReplacesThePolyline) {
  std::uint64_t poly = NewPolyline();
  std::wstring text = L"untouched";
  ASSERT_TRUE(Civil_PolyToFeatureLine(poly, L"Profile", text));
  EXPECT_EQ(text, L"untouched");
  EXPECT_TRUE(Erased(poly));
  EXPECT_EQ(FeatureLineNames(), (std::vector<std::wstring>{L"Profile"}));
}

TEST_F(CivilBridge, ATakenFeatureLineNameTakesTheSuffixTwo) {
  std::wstring text;
  ASSERT_TRUE(Civil_PolyToFeatureLine(NewPolyline(), L"Profile", text));
  ASSERT_TRUE(Civil_PolyToFeatureLine(NewPolyline(), L"PROFILE", text));
  EXPECT_EQ(FeatureLineNames(), (std::vector<std::wstring>{L"Profile", L"PROFILE (2)"}));
}

TEST_F(CivilBridge, AfterTwentyFiveTakenNamesThePolylineStaysAndTheLastErrorIsReturned) {
  std::wstring text;
  ASSERT_TRUE(Civil_PolyToFeatureLine(NewPolyline(), L"FL", text));
  for (unsigned n = 2; n <= 25; ++n)
    ASSERT_TRUE(Civil_PolyToFeatureLine(NewPolyline(), pelvar::civil::SuffixedName(L"FL", n).c_str(), text));
  std::uint64_t poly = NewPolyline();
  EXPECT_FALSE(Civil_PolyToFeatureLine(poly, L"FL", text));
  EXPECT_EQ(text, L"The feature line name \"FL (25)\" is already used by the feature line \"FL (25)\".");
  EXPECT_FALSE(Erased(poly));
  EXPECT_EQ(FeatureLineNames().size(), 25u);
  // The 26th name is free: a later call with another base name still works.
  ASSERT_TRUE(Civil_PolyToFeatureLine(poly, L"FL (26)", text));
  EXPECT_TRUE(Erased(poly));
}

TEST_F(CivilBridge, APolylineThatCannotBeErasedTakesItsFeatureLineBackWithIt) {
  std::uint64_t poly = NewPolyline();
  AcDbEntity* reader = nullptr;  // another reader keeps the polyline from being opened for write
  ASSERT_EQ(acdbOpenAcDbEntity(reader, acad::ObjectId(static_cast<std::intptr_t>(poly)).Native(), AcDb::kForRead),
            Acad::eOk);
  std::wstring text;
  EXPECT_FALSE(Civil_PolyToFeatureLine(poly, L"Profile", text));
  EXPECT_EQ(text, L"eWasOpenForRead");
  EXPECT_TRUE(FeatureLineNames().empty());
  reader->close();
  EXPECT_FALSE(Erased(poly));
  EXPECT_EQ(acad::TransactionManager(db.get()).NumberOfActiveTransactions(), 0);
  // The name was given back with the feature line.
  ASSERT_TRUE(Civil_PolyToFeatureLine(poly, L"Profile", text));
  EXPECT_EQ(FeatureLineNames(), (std::vector<std::wstring>{L"Profile"}));
}

TEST_F(CivilBridge, AnObjectThatIsNoPolylineFailsWithTheApiMessage) {
  const AcDbObjectId id = pelvartest::AppendToModelSpace(*db, new AcDbPoint(AcGePoint3d(1, 1, 1)));
  std::wstring text;
  EXPECT_FALSE(Civil_PolyToFeatureLine(static_cast<std::uint64_t>(id.asOldId()), L"F", text));
  EXPECT_EQ(text, L"The object (AcDbPoint) is not a polyline.");
  EXPECT_FALSE(id.isErased());
  EXPECT_FALSE(Civil_PolyToFeatureLine(0x51, L"F", text));
  EXPECT_EQ(text, L"eUnknownHandle");
}

// --- Coordinate-system code

TEST_F(CivilBridge, TheCodeQueryGivesTheDrawingsCodeOrEmpty) {
  std::wstring code = L"stale", error;
  ASSERT_TRUE(Civil_GetDrawingCsCode(code, error));
  EXPECT_EQ(code, L"");
  c3d::ApplicationServices::CivilApplication::ActiveDocument()->Settings().DrawingSettings().UnitZoneSettings()
      .CoordinateSystemCode(std::wstring(L"NAD83-PA-S"));
  ASSERT_TRUE(Civil_GetDrawingCsCode(code, error));
  EXPECT_EQ(code, L"NAD83-PA-S");
}

TEST_F(CivilBridge, TheCodeQueryWithoutACivilDocumentFails) {
  pelvarhost::SetHostHasCivil(false);
  std::wstring code = L"stale", error;
  EXPECT_FALSE(Civil_GetDrawingCsCode(code, error));
  EXPECT_EQ(code, L"");
  EXPECT_EQ(error, L"no active Civil document");
  pelvarhost::SetHostHasCivil(true);
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_FALSE(Civil_GetDrawingCsCode(code, error));
  EXPECT_EQ(error, L"no active Civil document");
}

// --- Without Civil 3D

TEST_F(CivilBridge, WithoutCivilEveryOperationFailsWithAClearText) {
  pelvarhost::SetHostHasCivil(false);
  const std::wstring expected = L"Civil 3D is not available (no active Civil document)";
  std::wstring text;
  EXPECT_FALSE(Civil_CreateTinSurface(L"EG", L"", triangle.data(), 3, text));
  EXPECT_EQ(text, expected);
  text.clear();
  EXPECT_FALSE(Civil_AddCogoPoint(1, 2, 3, L"", text));
  EXPECT_EQ(text, expected);
  text.clear();
  std::uint64_t poly = NewPolyline();
  EXPECT_FALSE(Civil_PolyToFeatureLine(poly, L"F", text));
  EXPECT_EQ(text, expected);
  EXPECT_FALSE(Erased(poly));
  EXPECT_TRUE(pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbSurface::desc()).empty());
}

// --- Naming helpers

TEST(CivilNames, NameTakenComparesOrdinallyIgnoringCase) {
  std::vector<std::wstring> names = {L"EG", L"Top (2)"};
  EXPECT_TRUE(pelvar::civil::NameTaken(names, L"eg"));
  EXPECT_TRUE(pelvar::civil::NameTaken(names, L"TOP (2)"));
  EXPECT_FALSE(pelvar::civil::NameTaken(names, L"EG "));
  EXPECT_FALSE(pelvar::civil::NameTaken({}, L"EG"));
  EXPECT_TRUE(pelvar::civil::NameTaken({L"Gr\u00e8ve Nord"}, L"GR\u00c8VE NORD"));
  EXPECT_TRUE(pelvar::civil::NameTaken({L"\u03c3\u03b9\u03b3\u03bc\u03b1"}, L"\u03a3\u0399\u0393\u039c\u0391"));
  EXPECT_FALSE(pelvar::civil::NameTaken({L"\u00e8"}, L"E"));
  EXPECT_EQ(pelvar::civil::SuffixedName(L"EG", 12), L"EG (12)");
  EXPECT_EQ(pelvar::civil::ToW(std::nullopt), L"");
  EXPECT_EQ(pelvar::civil::ToW(std::wstring(L"x")), L"x");
}
