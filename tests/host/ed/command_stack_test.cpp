// The command stack and acedCommandS.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "aced.h"
#include "dbents.h"
#include "hostcmdline.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "tests/support/AppendEntity.h"

namespace {

int runs = 0;
std::vector<int> codes;
void Count() { ++runs; }
AcDbObjectId openedByFailingCommand;
// Opens an object for read and for notify, then fails before closing either.
void OpenAndThrow() {
  AcDbObject* object = nullptr;
  acdbOpenObject(object, openedByFailingCommand, AcDb::kForRead);
  acdbOpenObject(object, openedByFailingCommand, AcDb::kForNotify);
  throw std::runtime_error("lost");
}
void TwoPoints() {
  ads_point a, b;
  codes.push_back(acedGetPoint(nullptr, L"\nFirst: ", a));
  codes.push_back(acedGetPoint(a, L"\nSecond: ", b));
}

struct StackTest : ::testing::Test {
  void SetUp() override {
    runs = 0;
    codes.clear();
    pelvarhost::ResetInput();
    pelvarhost::FinishOutputLine();  // each test starts on a fresh line
  }
  void TearDown() override {
    acedRegCmds->removeGroup(L"TESTGRP");
    acedRegCmds->removeGroup(L"OTHER");
  }
};

TEST_F(StackTest, DuplicateNamesInAGroupAreRefused) {
  EXPECT_EQ(acedRegCmds->addCommand(L"TESTGRP", L"HELLO", L"HELLO", ACRX_CMD_MODAL, Count), Acad::eOk);
  EXPECT_EQ(acedRegCmds->addCommand(L"TESTGRP", L"hello", L"hello", ACRX_CMD_MODAL, Count), Acad::eDuplicateKey);
  EXPECT_EQ(acedRegCmds->addCommand(L"OTHER", L"HELLO", L"HELLO", ACRX_CMD_MODAL, Count), Acad::eOk);
  EXPECT_EQ(acedRegCmds->addCommand(L"TESTGRP", L"X", L"X", ACRX_CMD_MODAL, nullptr), Acad::eInvalidInput);
}

TEST_F(StackTest, TypedNamesIgnoreCaseAndPrefixes) {
  acedRegCmds->addCommand(L"TESTGRP", L"HELLO", L"BONJOUR", ACRX_CMD_MODAL, Count);
  for (const wchar_t* typed : {L"bonjour", L"_hello", L"_.HELLO", L"._hello", L".bonjour"})
    EXPECT_NE(acedRegCmds->lookupTyped(typed), nullptr) << typed;
  EXPECT_EQ(acedRegCmds->lookupTyped(L"_"), nullptr);
  EXPECT_EQ(acedRegCmds->lookupGlobalCmd(L"hello")->functionAddr(), &Count);
  EXPECT_EQ(acedRegCmds->removeCmd(L"TESTGRP", L"HELLO"), Acad::eOk);
  EXPECT_EQ(acedRegCmds->lookupTyped(L"hello"), nullptr);
  EXPECT_EQ(acedRegCmds->removeCmd(L"TESTGRP", L"HELLO"), Acad::eKeyNotFound);
}

TEST_F(StackTest, UnknownCommandMessage) {
  pelvarhost::OutputCapture out;
  EXPECT_FALSE(pelvarhost::RunTypedCommand(L"foo"));
  EXPECT_EQ(out.Text(), "Unknown command \"FOO\".  Press F1 for help.");
}

TEST_F(StackTest, CommandSFeedsAnswersSilently) {
  acedRegCmds->addCommand(L"TESTGRP", L"TWO", L"TWO", ACRX_CMD_MODAL, TwoPoints);
  pelvarhost::OutputCapture out;
  ads_point a = {1, 2, 3};
  EXPECT_EQ(acedCommandS(RTSTR, L"_.TWO", RT3DPOINT, a, RTSTR, L"@1,1", RTNONE), RTNORM);
  EXPECT_EQ(codes, (std::vector<int>{RTNORM, RTNORM}));
  EXPECT_EQ(out.Text(), "");
  codes.clear();
  EXPECT_EQ(acedCommandS(RTSTR, L"TWO", RTPOINT, a, RTNONE), RTCAN);  // the second point is missing
  EXPECT_EQ(codes, (std::vector<int>{RTNORM, RTCAN}));
  EXPECT_EQ(acedCommandS(RTSTR, L"NOSUCH", RTNONE), RTERROR);
}

TEST_F(StackTest, EscTypedAfterACommandCancelsItsPrompt) {
  acedRegCmds->addCommand(L"TESTGRP", L"TWO", L"TWO", ACRX_CMD_MODAL, TwoPoints);
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(L"TWO 1,1 ^C\nTWO ^C\n"));
  pelvarhost::OutputCapture out;
  pelvarhost::RunCommandLoop();
  EXPECT_EQ(codes, (std::vector<int>{RTNORM, RTCAN, RTCAN, RTCAN}));
  EXPECT_EQ(out.Text(),
            "Command: TWO\nFirst: 1,1\nSecond: *Cancel*\n"
            "Command: TWO\nFirst: *Cancel*\nSecond: *Cancel*\n"
            "Command: \n");
}

TEST_F(StackTest, QueuedTextRunsAtTheNextCommandPrompt) {
  acedRegCmds->addCommand(L"TESTGRP", L"COUNT", L"COUNT", ACRX_CMD_MODAL, Count);
  pelvarhost::OutputCapture out;
  pelvarhost::QueueTypedText(L"COUNT\nCOUNT ");
  pelvarhost::RunCommandLoop();  // no sources: ends after the queued commands
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(out.Text(), "Command: COUNT\nCommand: COUNT\nCommand: \n");
}

// A command that fails with an exception is reported, and every object it opened is closed
// again; an object open before it stays open.
TEST_F(StackTest, AFailedCommandLeavesNothingOpen) {
  AcDbDatabase db;
  openedByFailingCommand = pelvartest::AppendToModelSpace(db, new AcDbPoint(AcGePoint3d(1, 2, 0)));
  const AcDbObjectId keptOpen = pelvartest::AppendToModelSpace(db, new AcDbPoint(AcGePoint3d(3, 4, 0)));
  AcDbObject* held = nullptr;
  ASSERT_EQ(acdbOpenObject(held, keptOpen, AcDb::kForRead), Acad::eOk);
  acedRegCmds->addCommand(L"TESTGRP", L"FAILING", L"FAILING", ACRX_CMD_MODAL, OpenAndThrow);
  pelvarhost::OutputCapture out;
  EXPECT_TRUE(pelvarhost::RunTypedCommand(L"FAILING"));
  EXPECT_EQ(out.Text(), "Command FAILING failed: lost");
  AcDbObject* object = nullptr;
  ASSERT_EQ(acdbOpenObject(object, openedByFailingCommand, AcDb::kForWrite), Acad::eOk) << "still open";
  object->close();
  EXPECT_TRUE(held->isReadEnabled());
  held->close();
}

// A diagnostic on standard error first ends the command line's current line, so the next
// output starts on a line of its own and no empty line appears.
TEST_F(StackTest, ADiagnosticEndsTheCurrentLine) {
  pelvarhost::OutputCapture out;
  acutPrintf(L"\nOpened d.pvd");
  pelvarhost::WriteDiagnosticLine("Host error: test");
  acutPrintf(L"\nCommand: ");
  EXPECT_EQ(out.Text(), "Opened d.pvd\nCommand: ");
}

TEST_F(StackTest, GlobalNamesListEveryGroupNewestFirst) {
  acedRegCmds->addCommand(L"TESTGRP", L"ONE", L"UN", ACRX_CMD_MODAL, Count);
  acedRegCmds->addCommand(L"OTHER", L"TWO", L"DEUX", ACRX_CMD_MODAL, Count);
  const std::vector<std::wstring> names = acedRegCmds->globalNames();
  auto one = std::find(names.begin(), names.end(), L"ONE");
  auto two = std::find(names.begin(), names.end(), L"TWO");
  ASSERT_NE(one, names.end());
  ASSERT_NE(two, names.end());
  EXPECT_LT(two, one);
  EXPECT_EQ(std::count(names.begin(), names.end(), L"UN"), 0);
}

}  // namespace
