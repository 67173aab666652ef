// The widgets behind windows and dialog controls: each passes its events to the handlers of
// the object that answers for it, or of its dialog.
#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimerEvent>

#include "qtwindows.h"

namespace pelvarhost::gui {
void SetCursorTarget(QWidget* widget);
QString WithoutMnemonics(const QString& text);

namespace {

// The handler object of a widget's dialog (its parent window), if it is to be called.
CWnd* DialogOf(const QWidget* control) {
  if (Destroying()) return nullptr;
  return OwnerOf(RecordOf(control->parentWidget()));
}

CWnd* HandlerOf(const QWidget* widget) {
  if (Destroying()) return nullptr;
  return OwnerOf(RecordOf(widget));
}

// Runs a handler with a device context painting on the widget.
template <typename Draw>
void PaintWith(QWidget* widget, Draw draw) {
  QPainter painter(widget);
  HDC__ state;
  state.painter = &painter;
  state.defaultFont = widget->font();
  CDC dc(&state);
  state.object = &dc;
  HWND record = RecordOf(widget);
  if (record != nullptr) record->paintDc = &state;
  draw(dc);
  if (record != nullptr && IsLiveWindow(record)) record->paintDc = nullptr;
}

void Notify(QWidget* control, WORD code) {
  HandlerScope scope;
  HWND record = RecordOf(control);
  CWnd* dialog = DialogOf(control);
  if (record == nullptr || dialog == nullptr) return;
  dialog->OnCommand(MAKEWPARAM(record->id, code), reinterpret_cast<LPARAM>(record));
}

// A top-level or child window of the module (palette set, dialog, popup).
class WindowWidget : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    CWnd* owner = HandlerOf(this);
    if (owner == nullptr) return;
    PaintWith(this, [&](CDC& dc) {
      if (!owner->OnEraseBkgnd(&dc)) {
        QColor text, background;
        if (AskControlColours(this, CTLCOLOR_DLG, text, background))
          dc.m_hDC->painter->fillRect(rect(), background);
      }
      owner->OnPaint();
    });
  }
  void resizeEvent(QResizeEvent*) override {
    if (CWnd* owner = HandlerOf(this)) owner->OnSize(SIZE_RESTORED, width(), height());
  }
  void timerEvent(QTimerEvent* event) override {
    HandlerScope scope;
    HWND record = RecordOf(this);
    CWnd* owner = HandlerOf(this);
    if (record == nullptr || owner == nullptr) return;
    auto timer = record->timers.find(event->timerId());
    if (timer != record->timers.end()) owner->OnTimer(timer->second);
  }
  void keyPressEvent(QKeyEvent* event) override {
    HandlerScope scope;
    CWnd* owner = HandlerOf(this);
    if (owner == nullptr) return;
    UINT key = event->key() == Qt::Key_Escape ? VK_ESCAPE : static_cast<UINT>(event->nativeVirtualKey());
    owner->OnKeyDown(key, 1, 0);
  }
  void mousePressEvent(QMouseEvent* event) override {
    HandlerScope scope;
    CWnd* owner = HandlerOf(this);
    if (owner == nullptr || event->button() != Qt::LeftButton) return;
    QPoint at = event->position().toPoint();
    owner->OnLButtonDown(0, CPoint(at.x(), at.y()));
  }
  void mouseMoveEvent(QMouseEvent*) override {
    CWnd* owner = HandlerOf(this);
    if (owner == nullptr) return;
    SetCursorTarget(this);
    if (!owner->OnSetCursor(owner, 1, 0)) setCursor(Qt::ArrowCursor);
    SetCursorTarget(nullptr);
  }
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (CWnd* owner = HandlerOf(this)) owner->OnActivate(isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, nullptr, FALSE);
  }
  void closeEvent(QCloseEvent* event) override {
    HandlerScope scope;
    event->ignore();
    if (CWnd* owner = HandlerOf(this)) owner->DestroyWindow();
  }
};

class ButtonControl : public QAbstractButton {
 public:
  explicit ButtonControl(QWidget* parent) : QAbstractButton(parent) {
    connect(this, &QAbstractButton::clicked, this, [this] { Notify(this, BN_CLICKED); });
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    HWND record = RecordOf(this);
    if (record == nullptr) return;
    DWORD type = record->style & BS_TYPEMASK;
    if (type == BS_OWNERDRAW) {
      CWnd* dialog = DialogOf(this);
      if (dialog == nullptr) return;
      PaintWith(this, [&](CDC& dc) {
        dc.m_hDC->defaultFont = ControlFont(record);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(record->id);
        item.itemState = isDown() ? ODS_SELECTED : 0;
        item.hwndItem = record;
        item.hDC = dc.m_hDC;
        item.rcItem = RECT{0, 0, width(), height()};
        dialog->OnDrawItem(record->id, &item);
      });
      return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = WithoutMnemonics(property("text").toString());
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
    bool check = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
    bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    painter.drawControl(check ? QStyle::CE_CheckBox : radio ? QStyle::CE_RadioButton : QStyle::CE_PushButton, option);
  }
  QSize sizeHint() const override { return size(); }
};

// A static text: its dialog's colours, single-line or wrapped, aligned by its style.
class StaticControl : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    HWND record = RecordOf(this);
    if (record == nullptr) return;
    QPainter painter(this);
    QColor text = palette().color(QPalette::WindowText), background;
    if (AskControlColours(this, CTLCOLOR_STATIC, text, background)) painter.fillRect(rect(), background);
    painter.setPen(text);
    painter.setFont(ControlFont(record));
    int flags = (record->style & SS_RIGHT) != 0 ? Qt::AlignRight : Qt::AlignLeft;
    flags |= (record->style & SS_CENTERIMAGE) != 0 ? (Qt::AlignVCenter | Qt::TextSingleLine) : (Qt::AlignTop | Qt::TextWordWrap);
    painter.drawText(rect(), flags, WithoutMnemonics(property("text").toString()));
  }
};

class EditControl : public QLineEdit {
 public:
  explicit EditControl(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { setProperty("text", text); });
  }
  bool event(QEvent* event) override {
    // SetWindowText stores the text as a property; show it.
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "text") {
      QString value = property("text").toString();
      if (value != text()) setText(value);
    }
    return QLineEdit::event(event);
  }

 protected:
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    Notify(this, EN_KILLFOCUS);
  }
  // Enter leaves the box for its dialog, so that what was typed applies as on leaving it.
  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && parentWidget() != nullptr) {
      parentWidget()->setFocus(Qt::OtherFocusReason);
      return;
    }
    QLineEdit::keyPressEvent(event);
  }
  void paintEvent(QPaintEvent* event) override {
    QColor text, background;
    if (AskControlColours(this, CTLCOLOR_EDIT, text, background)) {
      QPalette colours = palette();
      if (colours.color(QPalette::Base) != background || colours.color(QPalette::Text) != text) {
        colours.setColor(QPalette::Base, background);
        colours.setColor(QPalette::Text, text);
        setPalette(colours);
      }
    }
    QLineEdit::paintEvent(event);
  }
};

// A horizontal track bar: every slider action reaches the dialog as a WM_HSCROLL code.
class SliderControl : public QSlider {
 public:
  explicit SliderControl(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setTickPosition(QSlider::TicksBelow);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { OnAction(action); });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
      Scroll(TB_THUMBPOSITION);
      Scroll(TB_ENDTRACK);
    });
  }

 private:
  void OnAction(int action) {
    switch (action) {
      case SliderSingleStepAdd: Scroll(TB_LINEDOWN); break;
      case SliderSingleStepSub: Scroll(TB_LINEUP); break;
      case SliderPageStepAdd: Scroll(TB_PAGEDOWN); break;
      case SliderPageStepSub: Scroll(TB_PAGEUP); break;
      case SliderToMinimum: Scroll(TB_TOP), Scroll(TB_ENDTRACK); break;
      case SliderToMaximum: Scroll(TB_BOTTOM), Scroll(TB_ENDTRACK); break;
      case SliderMove: Scroll(TB_THUMBTRACK); break;
      default: break;
    }
  }
  void Scroll(UINT code) {
    HandlerScope scope;
    HWND record = RecordOf(this);
    CWnd* dialog = DialogOf(this);
    if (record == nullptr || dialog == nullptr) return;
    if (!record->scrollBar) {
      record->scrollBar = std::make_unique<CScrollBar>();
      record->scrollBar->m_hWnd = record;
    }
    dialog->OnHScroll(code, static_cast<UINT>(sliderPosition()), record->scrollBar.get());
  }
};

}  // namespace

bool AskControlColours(QWidget* control, UINT ctlColor, QColor& text, QColor& background) {
  HWND record = RecordOf(control);
  CWnd* dialog = ctlColor == CTLCOLOR_DLG ? HandlerOf(control) : DialogOf(control);
  if (record == nullptr || dialog == nullptr) return false;
  HDC__ state;
  state.textColour = ToColorRef(text);
  CDC dc(&state);
  state.object = &dc;
  HBRUSH brush = dialog->OnCtlColor(&dc, OwnerOf(record), ctlColor);
  if (brush == nullptr) return false;
  text = ToQColor(state.textColour);
  background = ToQColor(brush->Colour());
  return true;
}

QWidget* MakeControl(const DialogControlTemplate& item, QWidget* parent) {
  std::wstring kind = item.className;
  QWidget* widget = nullptr;
  if (kind == L"Button") {
    widget = new ButtonControl(parent);
  } else if (kind == L"Edit") {
    widget = new EditControl(parent);
  } else if (kind == L"msctls_trackbar32") {
    widget = new SliderControl(parent);
  } else {
    widget = new StaticControl(parent);
  }
  widget->setProperty("text", QString::fromWCharArray(item.text != nullptr ? item.text : L""));
  return widget;
}

QWidget* MakeWindowWidget(QWidget* parent, bool popup) {
  auto* widget = new WindowWidget(parent);
  widget->setMouseTracking(true);
  if (popup) widget->setFocusPolicy(Qt::StrongFocus);
  return widget;
}

}  // namespace pelvarhost::gui
