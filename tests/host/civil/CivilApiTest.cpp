// The civil model's managed API: creation rules, transactions that keep or abandon their
// changes, point numbering, feature lines and settings.
#include <cmath>
#include <limits>

#include "CivilFixture.h"
#include "aeccdb.h"
#include "civilhooks.h"
#include "civilmodel.h"
#include "textcase.h"

namespace acad = Autodesk::AutoCAD::DatabaseServices;
namespace c3d = Autodesk::Civil;
using Autodesk::AutoCAD::Geometry::Point3d;
using Autodesk::AutoCAD::Geometry::Point3dCollection;
using c3d::DatabaseServices::FeatureLine;
using c3d::DatabaseServices::TinSurface;

namespace {

template <typename Call>
std::wstring MessageOf(Call&& call) {
  try {
    call();
  } catch (const System::Exception& e) {
    return e.Message();
  }
  return L"(nothing raised)";
}

Point3dCollection Triangle() {
  Point3dCollection points;
  points.Add(Point3d(0, 0, 1));
  points.Add(Point3d(10, 0, 2));
  points.Add(Point3d(0, 10, 3));
  return points;
}

c3d::ApplicationServices::CivilDocument Doc() { return *c3d::ApplicationServices::CivilApplication::ActiveDocument(); }

}  // namespace

class CivilApi : public CivilFixture {
 protected:
  // A committed surface with a triangle.
  acad::ObjectId CommittedSurface(const std::wstring& name) {
    auto tr = Db().TransactionManager().StartTransaction();
    acad::ObjectId id = TinSurface::Create(Db(), name);
    auto* surface = dynamic_cast<TinSurface*>(tr->GetObject(id, acad::OpenMode::ForWrite));
    surface->Description(L"first");
    surface->AddVertices(Triangle());
    tr->Commit();
    return id;
  }
};

TEST_F(CivilApi, SurfaceNamesAreUniqueIgnoringCase) {
  CommittedSurface(L"Existing Ground");
  EXPECT_EQ(MessageOf([&] { TinSurface::Create(Db(), L"EXISTING ground"); }),
            L"The surface name \"EXISTING ground\" is already used by the surface \"Existing Ground\".");
  EXPECT_EQ(MessageOf([&] { TinSurface::Create(Db(), L""); }), L"A surface name must not be empty.");
  EXPECT_EQ(Doc().GetSurfaceIds().size(), 1u);
}

TEST_F(CivilApi, NameClashesFoldCaseBeyondAsciiWhateverTheLocale) {
  // The test process runs in the "C" locale, whose own case mapping knows ASCII only.
  CommittedSurface(L"Gr\u00e9ve Nord");
  EXPECT_EQ(MessageOf([&] { TinSurface::Create(Db(), L"GR\u00c9VE NORD"); }),
            L"The surface name \"GR\u00c9VE NORD\" is already used by the surface \"Gr\u00e9ve Nord\".");
  AcDbObjectId poly = Append3dPolyline({{0, 0, 1}, {5, 0, 2}});
  FeatureLine::Create(L"\u00c5s", acad::ObjectId(poly));
  EXPECT_EQ(MessageOf([&] { FeatureLine::Create(L"\u00e5S", acad::ObjectId(poly)); }),
            L"The feature line name \"\u00e5S\" is already used by the feature line \"\u00c5s\".");
  EXPECT_TRUE(pelvarhost::SameTextIgnoringCase(L"\u03a3\u03b9\u03b3\u03bc\u03b1", L"\u03c3\u0399\u0393\u039c\u0391"));
  EXPECT_FALSE(pelvarhost::SameTextIgnoringCase(L"\u00e9", L"e"));
}

TEST_F(CivilApi, AbandonedTransactionLeavesNoSurfaceBehind) {
  acad::ObjectId id;
  {
    auto tr = Db().TransactionManager().StartTransaction();
    id = TinSurface::Create(Db(), L"EG");
    auto* surface = dynamic_cast<TinSurface*>(tr->GetObject(id, acad::OpenMode::ForWrite));
    surface->Description(L"gone");
    surface->AddVertices(Triangle());
  }
  EXPECT_TRUE(id.IsErased());
  EXPECT_TRUE(Doc().GetSurfaceIds().empty());
  EXPECT_EQ(acad::TransactionManager(db.get()).NumberOfActiveTransactions(), 0);
  // The name is free again.
  EXPECT_NO_THROW(TinSurface::Create(Db(), L"EG"));
}

TEST_F(CivilApi, AbandonedChangesToAnExistingSurfaceAreUndone) {
  acad::ObjectId id = CommittedSurface(L"EG");
  {
    auto tr = Db().TransactionManager().StartTransaction();
    auto* surface = dynamic_cast<TinSurface*>(tr->GetObject(id, acad::OpenMode::ForWrite));
    surface->Description(L"changed");
    Point3dCollection more;
    more.Add(Point3d(10, 10, 4));
    more.Add(Point3d(0, 0, 99));
    surface->AddVertices(more);
    surface->Erase();
    tr->Abort();
  }
  auto tr = Db().TransactionManager().StartTransaction();
  auto* surface = dynamic_cast<TinSurface*>(tr->GetObject(id, acad::OpenMode::ForRead));
  ASSERT_NE(surface, nullptr);
  EXPECT_FALSE(surface->IsErased());
  EXPECT_EQ(surface->Description(), System::String(L"first"));
  EXPECT_EQ(surface->GetGeneralProperties().NumberOfPoints, 3);
  EXPECT_EQ(surface->GetGeneralProperties().MinimumElevation, 1);
  EXPECT_EQ(surface->GetTinProperties().NumberOfTriangles, 1);
}

TEST_F(CivilApi, CommitKeepsChangesAndClosesEveryObject) {
  acad::ObjectId id = CommittedSurface(L"EG");
  AcDbObject* object = nullptr;
  ASSERT_EQ(acdbOpenObject(object, id.Native(), AcDb::kForWrite), Acad::eOk);
  object->close();
  auto tr = Db().TransactionManager().StartTransaction();
  auto* surface = dynamic_cast<TinSurface*>(tr->GetObject(id, acad::OpenMode::ForRead));
  EXPECT_EQ(surface->Name(), System::String(L"EG"));
  EXPECT_EQ(surface->GetTinProperties().NumberOfTriangles, 1);
}

TEST_F(CivilApi, AnInnerCommitIsStillUndoneByTheOuterAbort) {
  auto outer = Db().TransactionManager().StartTransaction();
  acad::ObjectId id;
  {
    auto inner = Db().TransactionManager().StartTransaction();
    id = TinSurface::Create(Db(), L"Inner");
    EXPECT_EQ(acad::TransactionManager(db.get()).NumberOfActiveTransactions(), 2);
    inner->Commit();
  }
  EXPECT_FALSE(id.IsErased());
  outer->Abort();
  EXPECT_TRUE(id.IsErased());
}

TEST_F(CivilApi, OpenErrorsAreRaisedWithTheStatusName) {
  acad::ObjectId id = CommittedSurface(L"EG");
  {
    auto tr = Db().TransactionManager().StartTransaction();
    tr->GetObject(id, acad::OpenMode::ForWrite)->Erase();
    tr->Commit();
  }
  auto tr = Db().TransactionManager().StartTransaction();
  EXPECT_EQ(MessageOf([&] { tr->GetObject(id, acad::OpenMode::ForRead); }), L"eWasErased");
  EXPECT_EQ(MessageOf([&] { tr->GetObject(acad::ObjectId(), acad::OpenMode::ForRead); }), L"eNullObjectId");
  AcDbObjectId line = Append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  AcDbObject* held = nullptr;
  ASSERT_EQ(acdbOpenObject(held, line, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(MessageOf([&] { tr->GetObject(acad::ObjectId(line), acad::OpenMode::ForRead); }), L"eWasOpenForWrite");
  held->close();
}

TEST_F(CivilApi, AddVerticesNeedsWriteAccessAndFiniteCoordinates) {
  acad::ObjectId id = CommittedSurface(L"EG");
  auto tr = Db().TransactionManager().StartTransaction();
  auto* surface = dynamic_cast<TinSurface*>(tr->GetObject(id, acad::OpenMode::ForRead));
  EXPECT_EQ(MessageOf([&] { surface->AddVertices(Triangle()); }), L"eNotOpenForWrite");
  tr->GetObject(id, acad::OpenMode::ForWrite);  // upgrades the same object
  Point3dCollection bad = Triangle();
  bad.Add(Point3d(5, std::numeric_limits<double>::quiet_NaN(), 1));
  EXPECT_EQ(MessageOf([&] { surface->AddVertices(bad); }), L"Vertex 3 has a coordinate that is not a finite number.");
  EXPECT_EQ(surface->GetGeneralProperties().NumberOfPoints, 3);
}

TEST_F(CivilApi, CogoPointsTakeTheNextPointNumberAndSkipNumbersInUse) {
  auto points = Doc().CogoPoints();
  points.Add(Point3d(1, 2, 3), L"TOP", true);
  points.Add(Point3d(4, 5, 6), L"TOE", true);
  points.Add(Point3d(7, 8, 9), L"ANY", false);  // the lowest free number: 3
  points.Add(Point3d(0, 0, 0), L"", true);       // the setting says 3, which is taken now
  EXPECT_EQ(points.Count(), 4);
  auto tr = Db().TransactionManager().StartTransaction();
  std::vector<std::uint32_t> numbers;
  for (const AcDbObjectId& id : pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbCogoPoint::desc()))
    numbers.push_back(
        dynamic_cast<c3d::DatabaseServices::CogoPoint*>(tr->GetObject(acad::ObjectId(id), acad::OpenMode::ForRead))
            ->PointNumber());
  EXPECT_EQ(numbers, (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST_F(CivilApi, AbandoningAPointRestoresTheNextPointNumber) {
  {
    auto tr = Db().TransactionManager().StartTransaction();
    Doc().CogoPoints().Add(Point3d(1, 1, 1), L"X", true);
  }
  EXPECT_EQ(Doc().CogoPoints().Count(), 0);
  Doc().CogoPoints().Add(Point3d(1, 1, 1), L"X", true);
  EXPECT_EQ(Doc().CogoPoints().Count(), 1);
  auto tr = Db().TransactionManager().StartTransaction();
  auto id = pelvarhost::civil::ModelSpaceIdsOf(db.get(), AeccDbCogoPoint::desc()).front();
  EXPECT_EQ(dynamic_cast<c3d::DatabaseServices::CogoPoint*>(tr->GetObject(acad::ObjectId(id), acad::OpenMode::ForRead))
                ->PointNumber(),
            1u);
}

TEST_F(CivilApi, FeatureLinesFollowThePolylineAndRefuseTakenNames) {
  AcDbObjectId poly = Append3dPolyline({{0, 0, 1}, {5, 0, 2}, {5, 5, 3}});
  acad::ObjectId line = FeatureLine::Create(L"Crest", acad::ObjectId(poly));
  EXPECT_EQ(MessageOf([&] { FeatureLine::Create(L"CREST", acad::ObjectId(poly)); }),
            L"The feature line name \"CREST\" is already used by the feature line \"Crest\".");
  AcDbObjectId point = Append(new AcDbPoint(AcGePoint3d(1, 1, 1)));
  EXPECT_EQ(MessageOf([&] { FeatureLine::Create(L"Other", acad::ObjectId(point)); }),
            L"The object (AcDbPoint) is not a polyline.");
  EXPECT_EQ(MessageOf([&] { FeatureLine::Create(L"Other", acad::ObjectId(std::intptr_t{0x1234})); }),
            L"eUnknownHandle");
  auto tr = Db().TransactionManager().StartTransaction();
  auto* feature = dynamic_cast<FeatureLine*>(tr->GetObject(line, acad::OpenMode::ForRead));
  EXPECT_EQ(feature->Name(), System::String(L"Crest"));
  EXPECT_EQ(feature->PointsCount(), 3);
  EXPECT_FALSE(acad::ObjectId(poly).IsErased());
}

TEST_F(CivilApi, CoordinateSystemCodeIsNullUntilSetAndFollowsTransactions) {
  auto zone = Doc().Settings().DrawingSettings().UnitZoneSettings();
  EXPECT_EQ(zone.CoordinateSystemCode(), std::nullopt);
  zone.CoordinateSystemCode(std::wstring(L"NAD83-PA-S"));
  {
    auto tr = Db().TransactionManager().StartTransaction();
    zone.CoordinateSystemCode(std::wstring(L"OTHER"));
    EXPECT_EQ(zone.CoordinateSystemCode(), System::String(L"OTHER"));
  }
  EXPECT_EQ(zone.CoordinateSystemCode(), System::String(L"NAD83-PA-S"));
  zone.CoordinateSystemCode(std::nullopt);
  EXPECT_EQ(zone.CoordinateSystemCode(), std::nullopt);
}

TEST_F(CivilApi, WithoutTheCivilModelThereIsNoDocumentAndNothingIsCreated) {
  pelvarhost::SetHostHasCivil(false);
  EXPECT_FALSE(c3d::ApplicationServices::CivilApplication::ActiveDocument().has_value());
  EXPECT_EQ(MessageOf([&] { TinSurface::Create(Db(), L"EG"); }), L"Civil 3D is not available");
  AcDbObjectId poly = Append3dPolyline({{0, 0, 1}, {5, 0, 2}});
  EXPECT_EQ(MessageOf([&] { FeatureLine::Create(L"F", acad::ObjectId(poly)); }), L"Civil 3D is not available");
  EXPECT_EQ(MessageOf([&] { c3d::DatabaseServices::CogoPointCollection(db.get()).Add(Point3d(), L"", true); }),
            L"Civil 3D is not available");
}

TEST_F(CivilApi, NoDocumentWithoutAWorkingDatabase) {
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_FALSE(c3d::ApplicationServices::CivilApplication::ActiveDocument().has_value());
  EXPECT_EQ(MessageOf([&] { acad::HostApplicationServices::WorkingDatabase().TransactionManager().StartTransaction(); }),
            L"eNoDatabase");
}
