// Dialogs built from templates in memory, and the track-bar control.
#include <QSlider>

#include "qtwindows.h"

using namespace pelvarhost::gui;

namespace {

constexpr wchar_t kDialogFont[] = L"MS Shell Dlg";
constexpr int kDialogFontPixels = 11;  // an 8-point dialog font on a 96-dpi screen

RECT ItemRect(const DialogControlTemplate& item) {
  return DialogUnitsToPixels(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy});
}

QSlider* SliderOf(HWND window) { return IsLiveWindow(window) ? qobject_cast<QSlider*>(window->widget.data()) : nullptr; }

}  // namespace

BOOL CDialog::CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent) {
  if (!HaveGuiApplication() || IsLiveWindow(m_hWnd)) return FALSE;
  if (parent == nullptr || !IsLiveWindow(parent->m_hWnd)) return FALSE;
  m_pParentWnd = parent;
  QWidget* widget = MakeWindowWidget(parent->m_hWnd->widget, false);
  // A click on the dialog's background takes the focus from its edit box (which applies it).
  widget->setFocusPolicy(Qt::ClickFocus);
  QFont font = ToQFont(kDialogFont, kDialogFontPixels, FW_NORMAL, false);
  widget->setFont(font);
  RECT size = DialogUnitsToPixels(RECT{0, 0, dialogTemplate.cx, dialogTemplate.cy});
  widget->resize(size.right, size.bottom);
  AttachWindow(widget, this, L"#32770", 0, dialogTemplate.style);
  for (int i = 0; i < dialogTemplate.controlCount; ++i) {
    const DialogControlTemplate& item = dialogTemplate.controls[i];
    QWidget* control = MakeControl(item, widget);
    RECT rect = ItemRect(item);
    control->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    control->setFont(font);
    AttachWindow(control, nullptr, item.className, item.id, item.style);
    control->setVisible((item.style & WS_VISIBLE) != 0);
  }
  UpdateData(FALSE);
  OnInitDialog();
  if ((dialogTemplate.style & WS_VISIBLE) != 0) widget->show();
  return TRUE;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return TRUE;
}

void CDialog::MapDialogRect(LPRECT rect) const { *rect = DialogUnitsToPixels(*rect); }

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
  if (IsLiveWindow(control.m_hWnd)) return;
  CWnd* item = exchange->m_pDlgWnd->GetDlgItem(id);
  if (item == nullptr) return;
  HWND window = item->m_hWnd;
  window->owner = &control;
  window->standIn.reset();
  control.m_hWnd = window;
}

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL) {
  if (QSlider* slider = SliderOf(m_hWnd)) slider->setRange(minimum, maximum);
}

void CSliderCtrl::SetTicFreq(int frequency) {
  if (QSlider* slider = SliderOf(m_hWnd)) slider->setTickInterval(frequency);
}

void CSliderCtrl::SetPos(int position) {
  if (QSlider* slider = SliderOf(m_hWnd)) slider->setValue(position);
}

int CSliderCtrl::GetPos() const {
  QSlider* slider = SliderOf(m_hWnd);
  return slider != nullptr ? slider->sliderPosition() : 0;
}
