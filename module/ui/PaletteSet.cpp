#include "ui/PaletteSet.h"

#include "ui/PanelColours.h"
#include "ui/PanelDlg.h"

namespace {
// The palette set's own title band above the dialog.
constexpr int kTitleBand = 22;
}  // namespace

void CPelvarPaletteSet::OnSize(UINT type, int cx, int cy) {
  if (m_panelDialog != nullptr && m_panelDialog->GetSafeHwnd() != nullptr)
    m_panelDialog->MoveWindow(0, kTitleBand, cx, cy - kTitleBand);
}

BOOL CPelvarPaletteSet::OnEraseBkgnd(CDC* dc) {
  CRect client;
  GetClientRect(&client);
  dc->FillSolidRect(&client, kPanelBackground);
  return TRUE;
}

CSize CPelvarPaletteSet::CalcDynamicLayout(int length, DWORD mode) {
  CSize size = CAdUiPaletteSet::CalcDynamicLayout(length, mode);
  if ((mode & LM_VERTDOCK) != 0 && m_dockedWidth > 0) size.cx = m_dockedWidth;
  return size;
}
