// Documents: activation follows the working database, reactors hear every event, queued strings run later.
#include <gtest/gtest.h>

#include "acdocman.h"
#include "dbapserv.h"
#include "dbdatabase.h"
#include "hostcmdline.h"
#include "hostcommands.h"
#include "hostinput.h"
#include "hostoutput.h"

namespace {

struct Recorder : AcApDocManagerReactor {
  std::vector<std::wstring> events;
  void documentCreated(AcApDocument* d) override { events.push_back(L"created " + std::wstring(d->docTitle())); }
  void documentActivated(AcApDocument* d) override { events.push_back(L"activated " + std::wstring(d->docTitle())); }
  void documentToBeDestroyed(AcApDocument* d) override {
    events.push_back(L"destroying " + std::wstring(d->docTitle()));
  }
};

TEST(DocManager, NewActivateAndCloseNotifyAndMoveTheWorkingDatabase) {
  AcApDocManager* docs = acDocManagerPtr();
  Recorder recorder;
  docs->addReactor(&recorder);
  pelvarhost::OutputCapture out;
  AcApDocument* a = docs->addDocument(std::make_unique<AcDbDatabase>(true), L"/tmp/a.pvd", false);
  AcApDocument* b = docs->addDocument(std::make_unique<AcDbDatabase>(true), L"/tmp/b.pvd", false);
  EXPECT_EQ(docs->documentCount(), 2);
  EXPECT_EQ(curDoc(), b);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), b->database());
  ASSERT_EQ(docs->activateDocument(a), Acad::eOk);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), a->database());
  docs->closeDocument(a);
  EXPECT_EQ(curDoc(), b);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), b->database());
  docs->removeReactor(&recorder);
  docs->closeDocument(b);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
  EXPECT_EQ(recorder.events, (std::vector<std::wstring>{L"created a.pvd", L"activated a.pvd", L"created b.pvd",
                                                        L"activated b.pvd", L"activated a.pvd", L"destroying a.pvd",
                                                        L"activated b.pvd"}));
}

TEST(DocManager, LocksNestAndUnbalancedUnlockIsRefused) {
  AcApDocManager* docs = acDocManagerPtr();
  AcApDocument* doc = docs->addDocument(std::make_unique<AcDbDatabase>(true), L"/tmp/l.pvd", false);
  EXPECT_EQ(docs->lockDocument(doc, AcAp::kWrite), Acad::eOk);
  EXPECT_EQ(docs->lockDocument(doc, AcAp::kWrite), Acad::eOk);
  EXPECT_EQ(doc->lockMode(), AcAp::kWrite);
  EXPECT_EQ(docs->unlockDocument(doc), Acad::eOk);
  EXPECT_EQ(doc->lockMode(), AcAp::kWrite);
  EXPECT_EQ(docs->unlockDocument(doc), Acad::eOk);
  EXPECT_EQ(doc->lockMode(), AcAp::kNotLocked);
  EXPECT_EQ(docs->unlockDocument(doc), Acad::eNotApplicable);
  docs->closeAllDocuments();
}

TEST(DocManager, QueuedStringRunsAsTypedAfterTheRunningCommand) {
  pelvarhost::RegisterHostCommands();
  pelvarhost::NewDrawing(false);
  pelvarhost::ResetInput();
  pelvarhost::FinishOutputLine();
  pelvarhost::OutputCapture out;
  ASSERT_EQ(acDocManagerPtr()->sendStringToExecute(curDoc(), L"POINT 2,3\nDOCS\n"), Acad::eOk);
  EXPECT_EQ(out.Text(), "");  // nothing runs before the command prompt
  pelvarhost::RunCommandLoop();
  EXPECT_EQ(out.Text(), "Command: POINT\nSpecify a point: 2,3\nCommand: DOCS\n* 1  Drawing1.pvd  (modified)\nCommand: \n");
  acDocManagerPtr()->closeAllDocuments();
  pelvarhost::RemoveHostCommands();
}

}  // namespace
