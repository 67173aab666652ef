// Undo commands: U, UNDO and REDO over the working drawing's history.
#include "apcommands.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "dbundo.h"
#include "hostgraphics.h"
#include "hostinput.h"

namespace pelvarhost::cmd {
namespace {

struct StepTexts {
  const wchar_t* done;      // before each group's name
  const wchar_t* allDone;   // when the history ran out
  const wchar_t* blocked;   // when an object of the next group is open
};

constexpr StepTexts kUndoTexts{L"Undone: ", L"Everything has been undone.",
                               L"An object of the next step is open; it cannot be undone now."};
constexpr StepTexts kRedoTexts{L"Redone: ", L"Everything has been redone.",
                               L"An object of the next step is open; it cannot be redone now."};

void Report(const UndoOutcome& outcome, const StepTexts& texts) {
  for (const std::wstring& name : outcome.names) acutPrintf(L"\n%ls%ls", texts.done, name.c_str());
  if (outcome.blocked) acutPrintf(L"\n%ls", texts.blocked);
  if (outcome.ranOut) acutPrintf(L"\n%ls", texts.allDone);
  if (!outcome.names.empty()) NotifyDisplay(DisplayEvent::Regen);
}

// The number of steps: 1 on Enter, nothing on Esc.
bool AskCount(const wchar_t* prompt, int& count) {
  count = 1;
  acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
  int rc = acedGetInt(prompt, &count);
  if (rc == RTNONE) count = 1;
  return rc == RTNORM || rc == RTNONE;
}

void Undo(int count) {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  Report(UndoGroups(*database, count), kUndoTexts);
}

void Redo(int count) {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  Report(RedoGroups(*database, count), kRedoTexts);
}

}  // namespace

void CmdU() {
  if (HaveDrawing()) Undo(1);
}

void CmdUndo() {
  int count = 1;
  if (HaveDrawing() && AskCount(L"\nEnter the number of operations to undo <1>: ", count)) Undo(count);
}

// REDO alone redoes one step; a number typed after it redoes that many.
void CmdRedo() {
  if (!HaveDrawing()) return;
  int count = 1;
  if (AnswerWaiting() && !AskCount(L"\nEnter the number of operations to redo <1>: ", count)) return;
  Redo(count);
}

}  // namespace pelvarhost::cmd
