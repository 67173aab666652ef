// The palette set that docks the control panel at an edge of the host's main frame.
#pragma once
#include "aduiPaletteSet.h"

class CPelvarPanelDlg;

class CPelvarPaletteSet : public CAdUiPaletteSet {
 public:
  void SetPanelDialog(CPelvarPanelDlg* dialog) { m_panelDialog = dialog; }
  CPelvarPanelDlg* PanelDialog() const { return m_panelDialog; }
  void SetDockedWidth(int width) { m_dockedWidth = width; }
  int DockedWidth() const { return m_dockedWidth; }

  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  CSize CalcDynamicLayout(int length, DWORD mode) override;

 private:
  CPelvarPanelDlg* m_panelDialog = nullptr;
  int m_dockedWidth = 0;
};
