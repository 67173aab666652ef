#include "ui/PanelHooks.h"

void TogglePanel() {}
void ShowPanel() {}
void RefreshPanel() {}
void DestroyPanel() {}
