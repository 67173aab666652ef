// The About window: a borderless animated window with a looping chiptune, opened by
// PELVARABOUT and the panel's "About Pelvar" button. One at a time.
#pragma once

// The PELVARABOUT command: opens the window, or brings the open one forward.
void PelvarAboutCommand();
// Closes the window if it is open (on unload).
void CloseAboutWindow();

#include "windows.h"

// The open window (tests): whether it is open, its handle and its frame counter (-1 when
// none was opened).
bool AboutWindowOpen();
HWND AboutWindowHandle();
int AboutFrameCount();
