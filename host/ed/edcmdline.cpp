// The command prompt and acedCommandS.
#include <cstdarg>
#include <cstdio>
#include <exception>

#include "aced.h"
#include "dbopenguard.h"
#include "dbundo.h"
#include "edanswer.h"
#include "hostcmdline.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "wcrt.h"
#include "wideformat.h"
#include "wideutf8.h"

namespace pelvarhost {
namespace {

bool quitRequested = false;
bool hasCivil = true;
std::vector<std::wstring> activeCommands;

// Runs a command's function; nothing a command throws leaves the host, and the objects
// it had opened are closed after it.
void Invoke(AcEdCommand& command) {
  activeCommands.push_back(command.globalName());
  const UndoGroupSpan undoGroup(command.globalName());
  const OpenObjectsGuard openObjects;
  try {
    command.functionAddr()();
  } catch (const std::exception& e) {
    openObjects.CloseOpenedSince();
    acutPrintf(L"\nCommand %ls failed: %ls", command.globalName(), Utf8ToWide(e.what()).c_str());
  } catch (...) {
    openObjects.CloseOpenedSince();
    acutPrintf(L"\nCommand %ls failed.", command.globalName());
  }
  activeCommands.pop_back();
}

void ReportUnknown(std::wstring_view typedName) {
  std::wstring name = detail::ToUpper(typedName);
  acutPrintf(L"\nUnknown command \"%ls\".  Press F1 for help.", name.c_str());
}

std::wstring FormatNumber(double value) {
  return FormatWide(L"%.17g", value);
}

}  // namespace

bool RunTypedCommand(std::wstring_view typedName) {
  AcEdCommand* command = acedRegCmds->lookupTyped(typedName);
  if (command == nullptr) {
    ReportUnknown(typedName);
    return false;
  }
  Invoke(*command);
  return true;
}

void RunCommandLoop() {
  quitRequested = false;
  while (!quitRequested) {
    detail::Answer answer = detail::ReadCommandName(L"\nCommand: ");
    if (answer.cancelled) {
      if (InputEnded()) break;
      continue;
    }
    if (answer.text.empty()) continue;  // Enter at the command prompt does nothing here
    RunTypedCommand(answer.text);
  }
  FinishOutputLine();
}

std::wstring ActiveCommandName() { return activeCommands.empty() ? std::wstring() : activeCommands.back(); }

void RequestQuit() { quitRequested = true; }
bool QuitRequested() { return quitRequested; }
bool HostHasCivil() { return hasCivil; }
void SetHostHasCivil(bool civil) { hasCivil = civil; }

}  // namespace pelvarhost

bool pelvarHostHasCivil() { return pelvarhost::HostHasCivil(); }

int acedCommandS(int rtype, ...) {
  using pelvarhost::FormatNumber;
  std::vector<std::wstring> answers;
  va_list args;
  va_start(args, rtype);
  for (int type = rtype; type != RTNONE && type != 0; type = va_arg(args, int)) {
    switch (type) {
      case RTSTR: {
        const ACHAR* text = va_arg(args, const ACHAR*);
        answers.emplace_back(text != nullptr ? text : L"");
        break;
      }
      case RTPOINT:
      case RT3DPOINT: {
        const ads_real* p = va_arg(args, const ads_real*);
        std::wstring point = FormatNumber(p[0]) + L"," + FormatNumber(p[1]);
        if (type == RT3DPOINT) point += L"," + FormatNumber(p[2]);
        answers.push_back(point);
        break;
      }
      case RTREAL:
      case RTANG: answers.push_back(FormatNumber(va_arg(args, double))); break;
      case RTSHORT:
      case RTLONG: answers.push_back(std::to_wstring(va_arg(args, int))); break;
      default:
        va_end(args);
        acutPrintf(L"\nacedCommandS: argument type %d is not supported.", type);
        return RTERROR;
    }
  }
  va_end(args);

  pelvarhost::detail::CommandAnswers scope(std::move(answers));
  while (!scope.Empty()) {
    std::wstring name = pelvarhost::detail::Trim(scope.Take());
    if (name.empty()) continue;
    AcEdCommand* command = acedRegCmds->lookupTyped(name);
    if (command == nullptr) {
      pelvarhost::ReportUnknown(name);
      return RTERROR;
    }
    pelvarhost::Invoke(*command);
    if (scope.starved) return RTCAN;
  }
  return RTNORM;
}
