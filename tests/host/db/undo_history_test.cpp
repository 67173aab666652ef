// The undo history's own rules: nested spans make one group, drawings made during a span
// are not recorded, an open object blocks undo, a new change drops the redo steps, and the
// size limit drops the oldest steps and says so once.
#include <gtest/gtest.h>

#include "dbents.h"
#include "dbsymtb.h"
#include "dbundo.h"
#include "hostoutput.h"

namespace {

AcDbObjectId AddLine(AcDbDatabase& db, double x) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(Acad::eOk, acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite));
  auto* line = new AcDbLine(AcGePoint3d(x, 0, 0), AcGePoint3d(x, 1, 0));
  AcDbObjectId id;
  EXPECT_EQ(Acad::eOk, space->appendAcDbEntity(id, line));
  line->close();
  space->close();
  return id;
}

void MoveLine(AcDbObjectId id) {
  AcDbEntity* line = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(line, id, AcDb::kForWrite));
  line->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0)));
  line->close();
}

TEST(UndoHistory, NestedSpansMakeOneGroupAndDrawingsMadeDuringASpanAreNotRecorded) {
  AcDbDatabase db;
  std::unique_ptr<AcDbDatabase> madeDuring;
  {
    const pelvarhost::UndoGroupSpan outer(L"OUTER");
    AddLine(db, 0);
    const pelvarhost::UndoGroupSpan inner(L"INNER");
    AddLine(db, 1);
    madeDuring = std::make_unique<AcDbDatabase>();
    AddLine(*madeDuring, 2);
  }
  EXPECT_EQ(pelvarhost::UndoGroupCount(db), 1);
  EXPECT_EQ(pelvarhost::NextUndoName(db), L"OUTER");
  EXPECT_EQ(pelvarhost::UndoGroupCount(*madeDuring), 0);
  EXPECT_EQ(pelvarhost::UndoGroups(db, 1).names, std::vector<std::wstring>{L"OUTER"});
  EXPECT_EQ(db.handseed(), AcDbDatabase().handseed()) << "the handles of undone objects are given out again";
}

TEST(UndoHistory, AnOpenObjectBlocksUndoAndANewChangeDropsTheRedoSteps) {
  AcDbDatabase db;
  AcDbObjectId line = AddLine(db, 0);
  for (const wchar_t* name : {L"FIRST", L"SECOND"}) {
    const pelvarhost::UndoGroupSpan group(name);
    MoveLine(line);
  }
  AcDbEntity* open = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(open, line, AcDb::kForRead));
  EXPECT_TRUE(pelvarhost::UndoGroups(db, 1).blocked);
  open->close();
  pelvarhost::UndoOutcome outcome = pelvarhost::UndoGroups(db, 5);
  EXPECT_EQ(outcome.names, (std::vector<std::wstring>{L"SECOND", L"FIRST"}));
  EXPECT_TRUE(outcome.ranOut);
  EXPECT_EQ(pelvarhost::NextRedoName(db), L"FIRST");
  {
    const pelvarhost::UndoGroupSpan group(L"THIRD");
    MoveLine(line);
  }
  EXPECT_EQ(pelvarhost::NextRedoName(db), L"");
  EXPECT_TRUE(pelvarhost::RedoGroups(db, 1).ranOut);
}

TEST(UndoHistory, TheSizeLimitDropsTheOldestStepsAndSaysSoOnce) {
  AcDbDatabase db;
  AcDbObjectId line = AddLine(db, 0);
  pelvarhost::SetUndoLimitBytes(2000);
  pelvarhost::OutputCapture output;
  for (int i = 0; i < 40; ++i) {
    const pelvarhost::UndoGroupSpan group(L"MOVE");
    MoveLine(line);
  }
  pelvarhost::SetUndoLimitBytes(pelvarhost::kDefaultUndoLimitBytes);
  EXPECT_GT(pelvarhost::UndoGroupCount(db), 1);
  EXPECT_LT(pelvarhost::UndoGroupCount(db), 40);
  const std::string told = "The undo history is full";
  EXPECT_NE(output.Text().find(told), std::string::npos);
  EXPECT_EQ(output.Text().find(told), output.Text().rfind(told));
}

}  // namespace
