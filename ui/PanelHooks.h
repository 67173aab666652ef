// The control panel's entry points for the commands, the load and unload sequences and
// the document reactor. Until the panel exists they do nothing and print nothing.
#pragma once

// Creates the panel on first use, then hides it when visible or shows it (refreshed) when hidden.
void TogglePanel();
// Creates the panel if needed and leaves it shown.
void ShowPanel();
// Reloads the panel's contents from the current drawing.
void RefreshPanel();
// Destroys the panel dialog and its palette set (on unload) and forgets them.
void DestroyPanel();
