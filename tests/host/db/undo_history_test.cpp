// The undo history's size limit: the oldest steps go, and the user is told once.
#include <gtest/gtest.h>

#include "dbents.h"
#include "dbsymtb.h"
#include "dbundo.h"
#include "hostoutput.h"

namespace {

AcDbObjectId AddLine(AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(Acad::eOk, acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite));
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 1, 0));
  AcDbObjectId id;
  EXPECT_EQ(Acad::eOk, space->appendAcDbEntity(id, line));
  line->close();
  space->close();
  return id;
}

TEST(UndoHistory, TheSizeLimitDropsTheOldestStepsAndSaysSoOnce) {
  AcDbDatabase db;
  AcDbObjectId id = AddLine(db);
  pelvarhost::SetUndoLimitBytes(2000);
  pelvarhost::OutputCapture output;
  for (int i = 0; i < 40; ++i) {
    const pelvarhost::UndoGroupSpan group(L"MOVE");
    AcDbEntity* line = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(line, id, AcDb::kForWrite));
    line->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0)));
    line->close();
  }
  pelvarhost::SetUndoLimitBytes(pelvarhost::kDefaultUndoLimitBytes);
  EXPECT_GT(pelvarhost::UndoGroupCount(db), 1);
  EXPECT_LT(pelvarhost::UndoGroupCount(db), 40);
  const std::string told = "The undo history is full";
  EXPECT_NE(output.Text().find(told), std::string::npos);
  EXPECT_EQ(output.Text().find(told), output.Text().rfind(told));
}

}  // namespace
