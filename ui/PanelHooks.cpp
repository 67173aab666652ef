#include "ui/PanelHooks.h"

namespace {
PanelCallCounts calls;
}  // namespace

void TogglePanel() { ++calls.toggle; }
void ShowPanel() { ++calls.show; }
void RefreshPanel() { ++calls.refresh; }
void DestroyPanel() { ++calls.destroy; }
bool IsPanelVisible() { return false; }
void HidePanel() { ++calls.hide; }
bool HasPanelDialog() { return false; }

PanelCallCounts PanelCalls() { return calls; }
void ResetPanelCalls() { calls = PanelCallCounts{}; }
