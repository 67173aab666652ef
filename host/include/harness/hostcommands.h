// The host's own commands (group "ACAD"): drawing, editing, files, documents, modules, view.
//   LINE PLINE 3DPOLY POINT ERASE MOVE ROTATE SCALE LAYER LIST
//   NEW OPEN SAVE SAVEAS CLOSE QUIT DOCS DOC ARXLOAD ARXUNLOAD ZOOM REGEN REDRAW PICKBOX
#pragma once
#include <string>

namespace pelvarhost {

inline constexpr const wchar_t* kHostCommandGroup = L"ACAD";
// The extension of this host's drawing files.
inline constexpr const wchar_t* kDrawingExtension = L"pvd";

void RegisterHostCommands();
void RemoveHostCommands();

// Opens a drawing file as a new current document; false (after a message on the command
// line) when it cannot be read.
bool OpenDrawing(const std::wstring& path);
// A new empty drawing as the current document (announced on the command line when asked).
void NewDrawing(bool announce = true);

}  // namespace pelvarhost
