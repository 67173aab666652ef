// The control panel's entry points for the commands, the load and unload sequences and
// the document reactor. The panel is one palette set docked in the host's main frame; a
// host without a main window (the console program) shows none.
#pragma once

class CPelvarPaletteSet;
class CPelvarPanelDlg;

// Creates the panel on first use, then hides it when visible or shows it (refreshed) when hidden.
void TogglePanel();
// Creates the panel if needed and leaves it shown; does nothing without a main window.
void ShowPanel();
// Reloads the panel's contents from the current drawing.
void RefreshPanel();
// Destroys the panel dialog and its palette set (on unload) and forgets them.
void DestroyPanel();
// True when the palette set exists and its window is visible.
bool IsPanelVisible();
// Hides the palette set at once when it is visible.
void HidePanel();
// True when the panel dialog exists with a window, so that its list can be refreshed.
bool HasPanelDialog();

// The PELVARPANEL command.
void PelvarPanelCommand();
// True when the host has its main window; otherwise says that the command needs it.
bool HaveMainWindowFor(const wchar_t* command);

// The Help button's box comes after the command list it speaks of: the button asks for it,
// PELVARHELP shows it once the list is printed.
void ShowHelpBoxAfterList();
void ShowAskedHelpBox();

// The panel's windows while they exist (tests).
CPelvarPaletteSet* PanelPaletteSet();
CPelvarPanelDlg* PanelDialog();

// Test hook: how often each entry point was called since the last reset.
struct PanelCallCounts {
  int toggle = 0, show = 0, refresh = 0, hide = 0, destroy = 0;
};
PanelCallCounts PanelCalls();
// Also hides the stand-in panel again.
void ResetPanelCalls();
// Test hook: makes the stand-in panel visible (with its dialog) or hidden, so that the
// callers' hide and refresh branches can run. Hiding it also makes it invisible.
void SetPanelVisibleForTest(bool visible);
