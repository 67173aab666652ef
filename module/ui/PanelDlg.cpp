#include "ui/PanelDlg.h"

#include <cmath>
#include <cwchar>
#include <iterator>

#include "app/Settings.h"
#include "entity/Pelvar.h"
#include "ui/PanelHooks.h"
#include "ui/PanelColours.h"
#include "ui/PanelResource.h"
#include "uxtheme.h"

namespace {

struct CommandButton {
  int id;
  const wchar_t* queued;
};

constexpr CommandButton kCommandButtons[] = {
    {IDC_ATTACH, L"PELVARATTACH "},   {IDC_FETCH, L"PELVARFETCH "},    {IDC_PICK, L"PELVARPICK "},
    {IDC_PROFILE, L"PELVARPROF "},    {IDC_PROFILE_CLASSES, L"PELVARPROFC "}, {IDC_CROP, L"PELVARCROP "},
    {IDC_SURFACE, L"PELVARSURF "},    {IDC_COGO, L"PELVARCOGO "},      {IDC_RECLASS, L"PELVARRECLASS "},
    {IDC_HELP_BUTTON, L"PELVARHELP "}, {IDC_ABOUT, L"PELVARABOUT "},
};

constexpr const wchar_t* kHelpText =
    L"Typical workflow\n\n1. Get a cloud: Attach .kmt (viewer export) or Fetch 3DEP\n    (draw a rectangle, full "
    L"density comes from USGS).\n2. Too big? Crop rectangle cuts a working piece.\n3. Tick classes to isolate what "
    L"you need; Auto-classify\n    colors the gray unclassified points by height.\n4. Read: Pick point. Build: Ground "
    L"profile, Class profile\n    (uses the TICKED classes: bridge decks, roofs),\n    Create EG surface, COGO "
    L"points.\n5. Save classes as default applies your set to every attach.\n\nFull command list was printed to the "
    L"command line.";
constexpr const wchar_t* kSavedText = L"Current classes saved as the attach default.";
constexpr const wchar_t* kNotSavedText = L"Could not write the default to the registry.";
constexpr const wchar_t* kDarkTheme = L"DarkMode_Explorer";

constexpr int kSliderMin = 10, kSliderMax = 300, kSliderTicks = 50, kSliderStart = 100;
constexpr int kIndicatorSize = 11;
constexpr int kLabelOffset = 16;
constexpr int kInfoRightMargin = 12;

bool IsHeader(int id) { return id >= IDC_HDR_FIRST && id <= IDC_HDR_LAST; }
bool IsClassBox(int id) { return id >= IDC_CLS_FIRST && id <= IDC_CLS_LAST; }
bool IsModeRadio(int id) { return id >= IDC_MODE_CLASS && id <= IDC_MODE_ELEVATION; }

std::wstring Percent(int value) {
  return std::to_wstring(value) + L"%";
}

const wchar_t* QueuedTextOf(int id) {
  for (const CommandButton& button : kCommandButtons)
    if (button.id == id) return button.queued;
  return nullptr;
}

// The kind a button of this style is drawn as, or -1 for a type the panel leaves alone.
int KindOfButtonType(DWORD type) {
  switch (type) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX: return CPelvarPanelDlg::kCheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return CPelvarPanelDlg::kRadioButton;
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return CPelvarPanelDlg::kPushButton;
    default: return -1;
  }
}

}  // namespace

CPelvarPanelDlg::CPelvarPanelDlg(CWnd* parent) : CDialog(IDD_PELVAR_PANEL, parent) {}

CPelvarPanelDlg::~CPelvarPanelDlg() {
  if (GetSafeHwnd() != nullptr) DestroyWindow();
}

BOOL CPelvarPanelDlg::Create(CWnd* parent) { return CreateIndirect(kPanelDialogTemplate, parent); }

void CPelvarPanelDlg::DoDataExchange(CDataExchange* exchange) {
  CDialog::DoDataExchange(exchange);
  DDX_Control(exchange, IDC_DENSITY, m_slider);
}

BOOL CPelvarPanelDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_panelBrush.CreateSolidBrush(kPanelBackground);
  m_headerBrush.CreateSolidBrush(kHeaderBackground);
  m_editBrush.CreateSolidBrush(kEditBackground);
  m_headerFont.CreateFont(kHeaderFontHeight, 0, 0, 0, kHeaderFontWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          kHeaderFontFace);
  ClassifyControls();
  m_slider.SetRange(kSliderMin, kSliderMax);
  m_slider.SetTicFreq(kSliderTicks);
  m_slider.SetPos(kSliderStart);
  m_checks[IDC_MODE_CLASS] = 1;
  m_checks[IDC_MODE_INTENSITY] = 0;
  m_checks[IDC_MODE_ELEVATION] = 0;
  RefreshPanel();
  return TRUE;
}

// Buttons become owner-drawn and remember their kind; headers get their font; edits lose
// the theme, the other controls take the dark one.
void CPelvarPanelDlg::ClassifyControls() {
  for (CWnd* child = GetWindow(GW_CHILD); child != nullptr; child = child->GetWindow(GW_HWNDNEXT)) {
    wchar_t className[64] = {};
    GetClassNameW(child->GetSafeHwnd(), className, 64);
    int id = child->GetDlgCtrlID();
    DWORD style = child->GetStyle();
    std::wstring kind = className;
    if (kind == L"Button") {
      int buttonKind = KindOfButtonType(style & BS_TYPEMASK);
      if (buttonKind < 0) continue;
      m_buttonKinds[id] = buttonKind;
      child->ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    } else if (IsHeader(id)) {
      child->SetFont(&m_headerFont);
    } else if (kind == L"Edit") {
      SetWindowTheme(child->GetSafeHwnd(), L"", L"");
    } else {
      SetWindowTheme(child->GetSafeHwnd(), kDarkTheme, nullptr);
    }
  }
}

int CPelvarPanelDlg::CheckState(int id) const {
  auto it = m_checks.find(id);
  return it == m_checks.end() ? 0 : it->second;
}

void CPelvarPanelDlg::SetCheck(int id, int state) {
  if (CheckState(id) == state && m_checks.count(id) != 0) return;
  m_checks[id] = state;
  if (CWnd* control = GetDlgItem(id)) control->Invalidate();
}

void CPelvarPanelDlg::Refresh() {
  PanelCloudSummary summary = SummarizeCurrentDrawing();
  if (summary.haveFirst) {
    for (int id = IDC_CLS_FIRST; id <= IDC_CLS_LAST; ++id)
      SetCheck(id, (summary.classMask >> kPanelClasses[id - IDC_CLS_FIRST]) & 1u);
    for (int id = IDC_MODE_CLASS; id <= IDC_MODE_ELEVATION; ++id)
      SetCheck(id, id == IDC_MODE_CLASS + summary.colorMode ? 1 : 0);
    SetCheck(IDC_ELEV_ON, summary.elevFilterOn ? 1 : 0);
    SetCheck(IDC_AUTOCLS, summary.autoClassify ? 1 : 0);
    double low = summary.elevFilterOn ? summary.elevMin : summary.dataMinZ;
    double high = summary.elevFilterOn ? summary.elevMax : summary.dataMaxZ;
    SetDlgItemInt(IDC_ELEV_MIN, static_cast<UINT>(ClampToInt(std::floor(low))), TRUE);
    SetDlgItemInt(IDC_ELEV_MAX, static_cast<UINT>(ClampToInt(std::ceil(high))), TRUE);
  }
  SetDlgItemText(IDC_INFO, CloudInfoText(summary).c_str());
  ShowDensity();
}

void CPelvarPanelDlg::ShowDensity() {
  int position = m_slider.GetSafeHwnd() != nullptr ? m_slider.GetPos() : kSliderStart;
  SetDlgItemText(IDC_DENSITY_LABEL, Percent(position).c_str());
}

BOOL CPelvarPanelDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  int code = HIWORD(wParam);
  if (code == BN_CLICKED && m_buttonKinds.count(id) != 0) {
    OnButtonClicked(id);
    return TRUE;
  }
  if (code == EN_KILLFOCUS && (id == IDC_ELEV_MIN || id == IDC_ELEV_MAX)) {
    Apply();
    return TRUE;
  }
  return FALSE;
}

void CPelvarPanelDlg::OnButtonClicked(int id) {
  if (const wchar_t* queued = QueuedTextOf(id)) {
    QueueOnCurrentDocument(queued);
    if (id == IDC_HELP_BUTTON) ShowHelpBoxAfterList();
  } else if (IsClassBox(id) || id == IDC_ELEV_ON) {
    SetCheck(id, CheckState(id) ? 0 : 1);
    Apply();
  } else if (id == IDC_ALL || id == IDC_NONE) {
    for (int box = IDC_CLS_FIRST; box <= IDC_CLS_LAST; ++box) SetCheck(box, id == IDC_ALL ? 1 : 0);
    Apply();
  } else if (IsModeRadio(id)) {
    for (int radio = IDC_MODE_CLASS; radio <= IDC_MODE_ELEVATION; ++radio) SetCheck(radio, radio == id ? 1 : 0);
    Apply();
  } else if (id == IDC_AUTOCLS) {
    SetCheck(id, CheckState(id) ? 0 : 1);
    SetAutoClassifyOnClouds(CheckState(id) != 0);
  } else if (id == IDC_SAVE_DEFAULT) {
    SaveDefault();
  }
}

namespace {
bool helpBoxAsked = false;
}  // namespace

void ShowHelpBoxAfterList() { helpBoxAsked = true; }

void ShowAskedHelpBox() {
  if (!helpBoxAsked) return;
  helpBoxAsked = false;
  AfxMessageBox(kHelpText, MB_ICONINFORMATION);
}

void CPelvarPanelDlg::OnHScroll(UINT code, UINT position, CScrollBar* scrollBar) {
  if (scrollBar == nullptr || scrollBar->GetSafeHwnd() != m_slider.GetSafeHwnd()) return;
  ShowDensity();
  switch (code) {
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_PAGEUP:
    case TB_PAGEDOWN:
    case TB_THUMBPOSITION:
    case TB_ENDTRACK: Apply(); break;
    default: break;  // dragging the thumb, or the top and bottom notifications
  }
}

void CPelvarPanelDlg::OnActivate(UINT state, CWnd* other, BOOL minimized) {
  if (state != WA_INACTIVE) RefreshPanel();
}

uint32_t CPelvarPanelDlg::CheckedClassMask() const {
  uint32_t mask = 0;
  for (int id = IDC_CLS_FIRST; id <= IDC_CLS_LAST; ++id)
    if (CheckState(id)) mask |= 1u << kPanelClasses[id - IDC_CLS_FIRST];
  return mask;
}

PanelSettings CPelvarPanelDlg::CurrentSettings() const {
  PanelSettings settings;
  settings.classMask = CheckedClassMask();
  settings.colorMode = Pelvar::kColorByClass;
  if (CheckState(IDC_MODE_INTENSITY)) settings.colorMode = Pelvar::kColorByIntensity;
  if (CheckState(IDC_MODE_ELEVATION)) settings.colorMode = Pelvar::kColorByElevation;
  settings.density = static_cast<uint16_t>(m_slider.GetPos());
  settings.elevFilterOn = CheckState(IDC_ELEV_ON) != 0;
  BOOL minRead = FALSE, maxRead = FALSE;
  int low = static_cast<int>(GetDlgItemInt(IDC_ELEV_MIN, &minRead, TRUE));
  int high = static_cast<int>(GetDlgItemInt(IDC_ELEV_MAX, &maxRead, TRUE));
  settings.haveElevation = minRead && maxRead;
  if (settings.haveElevation && high < low) std::swap(low, high);
  settings.elevMin = low;
  settings.elevMax = high;
  return settings;
}

void CPelvarPanelDlg::Apply() { ApplyPanelSettings(CurrentSettings()); }

void CPelvarPanelDlg::SaveDefault() {
  bool saved = WriteDefaultClassMask(CheckedClassMask());
  SetDlgItemText(IDC_INFO, saved ? kSavedText : kNotSavedText);
}

void CPelvarPanelDlg::OnDrawItem(int controlId, LPDRAWITEMSTRUCT item) {
  auto kind = m_buttonKinds.find(static_cast<int>(item->CtlID));
  if (kind == m_buttonKinds.end()) return;
  CDC* dc = CDC::FromHandle(item->hDC);
  if (dc == nullptr) return;
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(kNormalText);
  if (kind->second == kPushButton)
    DrawPushButton(*dc, *item);
  else
    DrawCheckOrRadio(*dc, *item, kind->second == kRadioButton);
}

void CPelvarPanelDlg::DrawCheckOrRadio(CDC& dc, const DRAWITEMSTRUCT& item, bool radio) {
  CRect cell(item.rcItem);
  dc.FillSolidRect(&cell, kPanelBackground);
  int middle = (cell.top + cell.bottom) / 2;
  CRect box(cell.left, middle - 5, cell.left + kIndicatorSize, middle + 6);
  bool checked = CheckState(static_cast<int>(item.CtlID)) != 0;
  if (radio) {
    CPen framePen(PS_SOLID, 1, kFrameColour);
    CBrush fill(kEditBackground);
    CPen* oldPen = dc.SelectObject(&framePen);
    CBrush* oldBrush = dc.SelectObject(&fill);
    dc.Ellipse(&box);
    if (checked) {
      CPen accentPen(PS_SOLID, 1, kAccentColour);
      CBrush accent(kAccentColour);
      CRect dot = box;
      dot.DeflateRect(3, 3);
      dc.SelectObject(&accentPen);
      dc.SelectObject(&accent);
      dc.Ellipse(&dot);
    }
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
  } else {
    CBrush frame(kFrameColour);
    dc.FillSolidRect(&box, kEditBackground);
    dc.FrameRect(&box, &frame);
    if (checked) {
      CRect mark = box;
      mark.DeflateRect(2, 2);
      dc.FillSolidRect(&mark, kAccentColour);
    }
  }
  CRect label(cell.left + kLabelOffset, cell.top, cell.right, cell.bottom);
  std::wstring text = CWnd::FromHandle(item.hwndItem)->GetWindowText();
  dc.DrawText(text.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void CPelvarPanelDlg::DrawPushButton(CDC& dc, const DRAWITEMSTRUCT& item) {
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  CRect face(item.rcItem);
  dc.FillSolidRect(&face, pressed ? kPressedButtonFace : kButtonFace);
  CBrush frame(pressed ? kAccentColour : kFrameColour);
  dc.FrameRect(&face, &frame);
  std::wstring text = CWnd::FromHandle(item.hwndItem)->GetWindowText();
  dc.DrawText(text.c_str(), -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

HBRUSH CPelvarPanelDlg::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) {
  switch (ctlColor) {
    case CTLCOLOR_EDIT:
      dc->SetTextColor(kNormalText);
      dc->SetBkColor(kEditBackground);
      return &m_editBrush;
    case CTLCOLOR_STATIC:
    case CTLCOLOR_BTN:
      if (IsHeader(control->GetDlgCtrlID())) {
        dc->SetTextColor(kHeaderText);
        dc->SetBkColor(kHeaderBackground);
        return &m_headerBrush;
      }
      dc->SetTextColor(kNormalText);
      dc->SetBkColor(kPanelBackground);
      return &m_panelBrush;
    case CTLCOLOR_DLG: return &m_panelBrush;
    default: return CDialog::OnCtlColor(dc, control, ctlColor);
  }
}

void CPelvarPanelDlg::OnSize(UINT type, int cx, int cy) {
  for (int id = IDC_HDR_FIRST; id <= IDC_HDR_LAST; ++id) {
    CWnd* header = GetDlgItem(id);
    if (header == nullptr) continue;
    CRect rect;
    header->GetWindowRect(&rect);
    ScreenToClient(&rect);
    header->MoveWindow(0, rect.top, cx, rect.Height());
  }
  if (CWnd* info = GetDlgItem(IDC_INFO)) {
    CRect rect;
    info->GetWindowRect(&rect);
    ScreenToClient(&rect);
    info->MoveWindow(rect.left, rect.top, cx - rect.left - kInfoRightMargin, rect.Height());
  }
}
