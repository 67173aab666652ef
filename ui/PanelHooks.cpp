#include "ui/PanelHooks.h"

namespace {
PanelCallCounts calls;
bool visible = false;
}  // namespace

void TogglePanel() { ++calls.toggle; }
void ShowPanel() { ++calls.show; }
void RefreshPanel() { ++calls.refresh; }
void DestroyPanel() { ++calls.destroy; }
bool IsPanelVisible() { return visible; }
void HidePanel() {
  ++calls.hide;
  visible = false;
}
bool HasPanelDialog() { return visible; }

PanelCallCounts PanelCalls() { return calls; }
void ResetPanelCalls() {
  calls = PanelCallCounts{};
  visible = false;
}
void SetPanelVisibleForTest(bool shown) { visible = shown; }
