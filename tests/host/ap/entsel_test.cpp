// Entity selection by a point: the topmost entity within the pick box, curves by their plan
// view, other entities by their plan extents, erased ones never.
#include <gtest/gtest.h>

#include "acdocman.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "hostcommands.h"
#include "hostgraphics.h"
#include "hostinput.h"
#include "hostoutput.h"

namespace {

class EntSelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pelvarhost::NewDrawing(false);
    pelvarhost::FinishOutputLine();
  }
  void TearDown() override {
    pelvarhost::SetPickBoxHalfSize(1.0);
    pelvarhost::ResetInput();
    pelvarhost::FinishOutputLine();
    acDocManagerPtr()->closeAllDocuments();
  }

  static AcDbObjectId Add(AcDbEntity* entity) {
    AcDbObjectId id;
    AcDbBlockTableRecord* space = pelvarhost::cmd::OpenModelSpace(AcDb::kForWrite);
    EXPECT_NE(space, nullptr);
    if (space == nullptr) {
      delete entity;
      return id;
    }
    EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
    space->close();
    entity->close();
    return id;
  }
  static AcDbObjectId AddLine(double x0, double y0, double x1, double y1) {
    return Add(new AcDbLine(AcGePoint3d(x0, y0, 0), AcGePoint3d(x1, y1, 0)));
  }

  // Answers one entity selection with `answer`; the picked id, or null.
  int Pick(const wchar_t* answer, AcDbObjectId* picked) {
    pelvarhost::ResetInput();
    pelvarhost::AddInputSource(pelvarhost::MakeTextInput(answer));
    ads_name name = {7, 7};
    ads_point where = {0, 0, 0};
    int rc = acedEntSel(L"\nSelect: ", name, where);
    *picked = AcDbObjectId();
    if (rc == RTNORM) acdbGetObjectId(*picked, name);
    return rc;
  }

  pelvarhost::OutputCapture out;
};

TEST_F(EntSelTest, TheLastDrawnOfTwoCrossingLinesIsPicked) {
  AcDbObjectId first = AddLine(0, 0, 10, 10);
  AcDbObjectId second = AddLine(0, 10, 10, 0);
  AcDbObjectId picked;
  ASSERT_EQ(Pick(L"5,5", &picked), RTNORM);
  EXPECT_EQ(picked, second);
  ASSERT_EQ(Pick(L"1,1", &picked), RTNORM);
  EXPECT_EQ(picked, first);
}

TEST_F(EntSelTest, ErasedEntitiesAreNeverPicked) {
  AcDbObjectId under = AddLine(0, 0, 10, 10);
  AcDbObjectId top = AddLine(0, 10, 10, 0);
  AcDbEntity* entity = nullptr;
  ASSERT_EQ(acdbOpenObject(entity, top, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(entity->erase(), Acad::eOk);
  entity->close();
  AcDbObjectId picked;
  ASSERT_EQ(Pick(L"5,5", &picked), RTNORM);
  EXPECT_EQ(picked, under);
}

TEST_F(EntSelTest, TheBoxReachesHalfItsSizeAroundThePoint) {
  AcDbObjectId line = AddLine(0, 0, 10, 0);
  AcDbObjectId picked;
  ASSERT_EQ(Pick(L"5,0.9", &picked), RTNORM);
  EXPECT_EQ(picked, line);
  ASSERT_EQ(Pick(L"10.9,-0.9", &picked), RTNORM);  // the corner of the box still holds the end
  EXPECT_EQ(picked, line);
  out.Clear();
  EXPECT_EQ(Pick(L"5,1.5", &picked), RTERROR);
  pelvarhost::FinishOutputLine();
  EXPECT_EQ(out.Text(), "Select: 5,1.5\n") << "a miss is the caller's to report";
  pelvarhost::SetPickBoxHalfSize(2.0);
  ASSERT_EQ(Pick(L"5,1.5", &picked), RTNORM);
  EXPECT_EQ(picked, line);
}

TEST_F(EntSelTest, ACurveIsPickedByItsPlanViewWhateverItsElevation) {
  // A steep 3D polyline: in space the nearest point to (0,0,0) lies near its low end, but on
  // the screen the pick lands right on its high end.
  auto* poly = new AcDb3dPolyline();
  poly->appendVertex(AcGePoint3d(0, 0, 100));
  poly->appendVertex(AcGePoint3d(10, 0, 0));
  AcDbObjectId steep = Add(poly);
  AcDbObjectId picked;
  ASSERT_EQ(Pick(L"0,0", &picked), RTNORM);
  EXPECT_EQ(picked, steep);
  ASSERT_EQ(Pick(L"2,0.5,0", &picked), RTNORM);
  EXPECT_EQ(picked, steep);
  EXPECT_EQ(Pick(L"2,3", &picked), RTERROR);
}

TEST_F(EntSelTest, AnEntityWithoutCurvesIsPickedInsideItsPlanExtents) {
  AcDbObjectId point = Add(new AcDbPoint(AcGePoint3d(20, 20, 50)));
  AcDbObjectId picked;
  ASSERT_EQ(Pick(L"20.5,19.5", &picked), RTNORM);
  EXPECT_EQ(picked, point);
  EXPECT_EQ(Pick(L"21.5,20", &picked), RTERROR);
}

TEST_F(EntSelTest, EnterEscAndKeywordsKeepTheirCodes) {
  AddLine(0, 0, 10, 0);
  AcDbObjectId picked;
  EXPECT_EQ(Pick(L"\n", &picked), RTNONE);
  EXPECT_EQ(Pick(L"^C", &picked), RTCAN);
  acedInitGet(0, L"ALL");
  EXPECT_EQ(Pick(L"a", &picked), RTKWORD);
  ACHAR keyword[8];
  ASSERT_EQ(acedGetInput(keyword, 8), RTNORM);
  EXPECT_STREQ(keyword, L"ALL");
}

}  // namespace
