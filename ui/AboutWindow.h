// The About window: a borderless animated window with a looping chiptune, opened by
// PELVARABOUT and the panel's "About Pelvar" button. One at a time.
#pragma once

// The PELVARABOUT command: opens the window, or brings the open one forward.
void PelvarAboutCommand();
// Closes the window if it is open (on unload).
void CloseAboutWindow();
