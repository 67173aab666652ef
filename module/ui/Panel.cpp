// The control panel's life: created on first use, docked at the left edge of the main
// frame, hidden and shown, destroyed when the module unloads.
#include <cstdio>

#include "acutads.h"
#include "adui.h"
#include "rxmfcapi.h"
#include "ui/PaletteSet.h"
#include "ui/PanelDlg.h"
#include "ui/PanelHooks.h"

namespace {

constexpr const wchar_t* kPaletteTitle = L"Mardel";
constexpr DWORD kPaletteStyle = PSS_AUTO_ROLLUP | PSS_CLOSE_BUTTON;
constexpr int kDockMargin = 10;

CPelvarPaletteSet* palette = nullptr;
CPelvarPanelDlg* dialog = nullptr;
PanelCallCounts calls;
// Set by tests of the console host, which has no window to show: the panel then reports
// itself shown (with its dialog) until it is hidden or the counts are reset.
bool shownForTest = false;

bool DialogHasWindow() { return dialog != nullptr && dialog->GetSafeHwnd() != nullptr; }

void ShowPalette(bool show) {
  if (palette == nullptr) return;
  if (CMDIFrameWnd* frame = acedGetAcadFrame())
    frame->ShowControlBar(palette, show ? TRUE : FALSE, FALSE);
  else
    palette->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

// Creates the palette set and its dialog, docks it at the left edge and shows it. On a
// failure nothing is kept.
void CreatePanel() {
  CMDIFrameWnd* frame = acedGetAcadFrame();
  palette = new CPelvarPaletteSet;
  CRect rect(100, 100, 400, 820);
  if (frame == nullptr || !palette->Create(kPaletteTitle, WS_DLGFRAME, rect, frame, kPaletteStyle)) {
    acutPrintf(L"\nPelvarPanel: palette set Create failed.");
    delete palette;
    palette = nullptr;
    return;
  }
  CAcModuleResourceOverride resources;
  dialog = new CPelvarPanelDlg(palette);
  if (!dialog->Create(palette)) {
    acutPrintf(L"\nPelvarPanel: dialog Create failed.");
    delete dialog;
    dialog = nullptr;
    palette->DestroyWindow();
    delete palette;
    palette = nullptr;
    return;
  }
  palette->SetPanelDialog(dialog);
  dialog->ShowWindow(SW_SHOW);
  palette->EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
  CRect dialogRect;
  dialog->GetWindowRect(&dialogRect);
  palette->SetDockedWidth(dialogRect.Width() + kDockMargin);
  frame->DockControlBar(palette, AFX_IDW_DOCKBAR_LEFT);
  frame->ShowControlBar(palette, TRUE, FALSE);
}

}  // namespace

void TogglePanel() {
  ++calls.toggle;
  if (palette == nullptr) {
    CreatePanel();
    return;
  }
  if (palette->IsWindowVisible()) {
    ShowPalette(false);
    return;
  }
  RefreshPanel();
  ShowPalette(true);
}

void ShowPanel() {
  ++calls.show;
  if (acedGetAcadFrame() == nullptr) return;
  TogglePanel();
  if (palette == nullptr) return;  // creation failed and said so
  if (!palette->IsWindowVisible()) ShowPalette(true);
  acutPrintf(L"\nPelvarPanel: palette shown.");
}

void RefreshPanel() {
  ++calls.refresh;
  if (DialogHasWindow()) dialog->Refresh();
}

void DestroyPanel() {
  ++calls.destroy;
  if (dialog != nullptr) {
    if (dialog->GetSafeHwnd() != nullptr) dialog->DestroyWindow();
    delete dialog;
    dialog = nullptr;
  }
  if (palette != nullptr) {
    if (palette->GetSafeHwnd() != nullptr) palette->DestroyWindow();
    delete palette;
    palette = nullptr;
  }
}

bool IsPanelVisible() { return shownForTest || (palette != nullptr && palette->IsWindowVisible()); }

void HidePanel() {
  ++calls.hide;
  shownForTest = false;
  if (IsPanelVisible()) ShowPalette(false);
}

bool HasPanelDialog() { return shownForTest || DialogHasWindow(); }

bool HaveMainWindowFor(const wchar_t* command) {
  if (acedGetAcadFrame() != nullptr) return true;
  acutPrintf(L"\n%ls needs the window: run pelvar --gui.", command);
  return false;
}

void PelvarPanelCommand() {
  if (HaveMainWindowFor(L"PELVARPANEL")) TogglePanel();
}

CPelvarPaletteSet* PanelPaletteSet() { return palette; }
CPelvarPanelDlg* PanelDialog() { return dialog; }

PanelCallCounts PanelCalls() { return calls; }
void ResetPanelCalls() {
  calls = PanelCallCounts{};
  shownForTest = false;
}
void SetPanelVisibleForTest(bool shown) { shownForTest = shown; }
