// The control panel's dialog: class check boxes, colour mode, density, command buttons,
// cloud information, elevation window and auto-classification. It draws its check boxes,
// radio buttons and push buttons itself in the panel's dark colours.
#pragma once
#include <map>

#include "afxwin.h"
#include "ui/PanelClouds.h"

class CPelvarPanelDlg : public CDialog {
 public:
  // Kinds of the buttons the panel draws itself.
  enum ButtonKind { kPushButton = 0, kCheckBox = 1, kRadioButton = 2 };

  explicit CPelvarPanelDlg(CWnd* parent);
  ~CPelvarPanelDlg() override;

  // Creates the dialog from template 200 inside the parent.
  BOOL Create(CWnd* parent);
  // Re-reads the current drawing's clouds into the controls.
  void Refresh();
  // The check state of an owner-drawn check box or radio button (0 or 1).
  int CheckState(int id) const;
  const std::map<int, int>& ButtonKinds() const { return m_buttonKinds; }

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnHScroll(UINT code, UINT position, CScrollBar* scrollBar) override;
  void OnDrawItem(int controlId, LPDRAWITEMSTRUCT item) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnActivate(UINT state, CWnd* other, BOOL minimized) override;

 private:
  void ClassifyControls();
  void SetCheck(int id, int state);
  void OnButtonClicked(int id);
  PanelSettings CurrentSettings() const;
  uint32_t CheckedClassMask() const;
  void Apply();
  void SaveDefault();
  void DrawCheckOrRadio(CDC& dc, const DRAWITEMSTRUCT& item, bool radio);
  void DrawPushButton(CDC& dc, const DRAWITEMSTRUCT& item);
  void ShowDensity();

  CSliderCtrl m_slider;
  CBrush m_panelBrush;
  CBrush m_headerBrush;
  CBrush m_editBrush;
  CFont m_headerFont;
  std::map<int, int> m_buttonKinds;
  std::map<int, int> m_checks;
};
