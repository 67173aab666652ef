// The command prompt of the host program.
#pragma once
#include <string>
#include <string_view>

namespace pelvarhost {

// Runs the command prompt until the input ends or QUIT is given.
void RunCommandLoop();
// Runs one command by the name typed at the command prompt ("LINE", "_.ZOOM"), feeding it
// nothing beyond what the input sources give. False (after the host's message) when no
// such command is known.
bool RunTypedCommand(std::wstring_view typedName);
// The name of the command running now, or empty.
std::wstring ActiveCommandName();

void RequestQuit();
bool QuitRequested();

// Host settings.
bool HostHasCivil();
void SetHostHasCivil(bool hasCivil);

}  // namespace pelvarhost

// Whether the host runs with its civil model (false with --no-civil).
bool pelvarHostHasCivil();
