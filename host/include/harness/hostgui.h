// The program's window (pelvar --gui): the drawing view, the command line, the menus and
// the main frame that modules dock their palettes in.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "hostinput.h"
#include "windows.h"

class QWidget;

namespace pelvarhost {

// Creates the application object of the window. False (with the reason on standard
// error) when there is no display to show it on.
bool StartWindowApplication(int& argc, char** argv);
// Creates the application object for tests, on the offscreen platform unless one is named.
void EnsureWindowApplication();
// Opens the main window: from now on the host has a main frame.
void OpenMainWindow();
// The window's command line as the input source of the command loop. The source ends
// when the window is closed.
std::unique_ptr<InputSource> MakeWindowInput();
// Closes the main window (after the modules are unloaded) and the application object.
void CloseMainWindow();
void StopWindowApplication();

// Makes a widget the main frame that acedGetAcadFrame and adsw_acadMainWnd name.
void AttachMainFrame(QWidget* mainWindow);

// Answers message boxes instead of showing them (tests); returns the previous hook.
using MessageBoxHook = std::function<int(const std::wstring& text, UINT type)>;
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

}  // namespace pelvarhost
