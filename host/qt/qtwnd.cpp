// Window handles and the CWnd operations over Qt widgets.
#include <QApplication>
#include <QCursor>
#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <cwchar>
#include <set>

#include "acedads.h"
#include "qtwindows.h"
#include "uxtheme.h"

namespace pelvarhost::gui {
namespace {

std::map<HWND, std::unique_ptr<HWND__>>& Records() {
  static std::map<HWND, std::unique_ptr<HWND__>> records;
  return records;
}

int destroyingDepth = 0;
int handlerDepth = 0;
QPointer<QWidget> mainFrame;

// Forgets a record whose widget is gone; its owner no longer has a window.
void Forget(HWND window) {
  auto it = Records().find(window);
  if (it == Records().end()) return;
  std::unique_ptr<HWND__> record = std::move(it->second);
  Records().erase(it);
  if (record->widget != nullptr) {
    record->widget->setProperty("pelvarHwnd", QVariant());
    record->widget->setObjectName(QString());
  }
  if (record->owner != nullptr && record->owner->m_hWnd == window) record->owner->m_hWnd = nullptr;
}

}  // namespace

bool HaveGuiApplication() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

HWND AttachWindow(QWidget* widget, CWnd* owner, const std::wstring& className, int id, DWORD style) {
  auto record = std::make_unique<HWND__>();
  HWND handle = record.get();
  record->widget = widget;
  record->owner = owner;
  record->className = className;
  record->id = id;
  record->style = style;
  widget->setProperty("pelvarHwnd", QVariant::fromValue(reinterpret_cast<quintptr>(handle)));
  if (id != -1) widget->setObjectName(QString::number(id));
  QObject::connect(widget, &QObject::destroyed, [handle] { Forget(handle); });
  Records()[handle] = std::move(record);
  if (owner != nullptr) owner->m_hWnd = handle;
  return handle;
}

HWND RecordOf(const QWidget* widget) {
  if (widget == nullptr) return nullptr;
  QVariant value = widget->property("pelvarHwnd");
  if (!value.isValid()) return nullptr;
  HWND handle = reinterpret_cast<HWND>(value.value<quintptr>());
  return IsLiveWindow(handle) ? handle : nullptr;
}

bool IsLiveWindow(HWND window) { return window != nullptr && Records().count(window) != 0; }

CWnd* OwnerOf(HWND window) {
  if (!IsLiveWindow(window)) return nullptr;
  if (window->owner != nullptr) return window->owner;
  window->standIn = std::make_unique<CWnd>();
  window->standIn->m_hWnd = window;
  window->owner = window->standIn.get();
  return window->owner;
}

bool Destroying() { return destroyingDepth > 0; }

HandlerScope::HandlerScope() { ++handlerDepth; }
HandlerScope::~HandlerScope() { --handlerDepth; }

namespace {

// Forgets the records of a widget and of every widget inside it.
void ForgetTree(QWidget* widget) {
  for (QWidget* child : widget->findChildren<QWidget*>()) Forget(RecordOf(child));
  Forget(RecordOf(widget));
}

}  // namespace

QColor ToQColor(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }
COLORREF ToColorRef(const QColor& colour) { return RGB(colour.red(), colour.green(), colour.blue()); }

QString SubstituteFace(const std::wstring& face) {
  static const std::map<std::wstring, QString> substitutes = {
      {L"Consolas", QStringLiteral("DejaVu Sans Mono")},
      {L"Segoe UI", QStringLiteral("DejaVu Sans")},
      {L"MS Shell Dlg", QStringLiteral("DejaVu Sans Condensed")},
  };
  auto it = substitutes.find(face);
  return it != substitutes.end() ? it->second : QString::fromStdWString(face);
}

QFont ToQFont(const std::wstring& face, int pixelHeight, int weight, bool italic) {
  QFont font(SubstituteFace(face));
  font.setPixelSize(pixelHeight != 0 ? std::abs(pixelHeight) : 11);
  font.setWeight(static_cast<QFont::Weight>(weight > 0 ? weight : FW_NORMAL));
  font.setItalic(italic);
  return font;
}

QFont ControlFont(HWND window) {
  if (window->font != nullptr)
    return ToQFont(window->font->FaceName(), window->font->Height(), window->font->Weight(), window->font->Italic());
  return window->widget->font();
}

RECT DialogUnitsToPixels(const RECT& units) {
  auto x = [](LONG v) { return static_cast<LONG>(v * 6 / 4); };
  auto y = [](LONG v) { return static_cast<LONG>(v * 13 / 8); };
  return RECT{x(units.left), y(units.top), x(units.right), y(units.bottom)};
}

void SetMainFrameWidget(QWidget* mainWindow) { mainFrame = mainWindow; }
QWidget* MainFrameWidget() { return mainFrame; }

}  // namespace pelvarhost::gui

using namespace pelvarhost::gui;

// --- CWnd ------------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (IsLiveWindow(m_hWnd) && m_hWnd->owner == this) {
    m_hWnd->owner = nullptr;
    CWnd::DestroyWindow();
  }
}

CWnd* CWnd::FromHandle(HWND window) { return OwnerOf(window); }

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id) {
  if (!HaveGuiApplication() || IsLiveWindow(m_hWnd)) return FALSE;
  QWidget* parentWidget = parent != nullptr && IsLiveWindow(parent->m_hWnd) ? parent->m_hWnd->widget.data() : nullptr;
  bool popup = (style & WS_POPUP) != 0 || parentWidget == nullptr;
  QWidget* widget = MakeWindowWidget(popup ? nullptr : parentWidget, popup);
  if (popup) {
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    flags |= (exStyle & WS_EX_TOOLWINDOW) != 0 ? Qt::Tool : Qt::Window;
    if ((exStyle & WS_EX_TOPMOST) != 0) flags |= Qt::WindowStaysOnTopHint;
    widget->setWindowFlags(flags);
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
  }
  widget->setWindowTitle(QString::fromWCharArray(windowName != nullptr ? windowName : L""));
  widget->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  AttachWindow(widget, this, className != nullptr ? className : L"", static_cast<int>(id), style);
  if ((style & WS_VISIBLE) != 0) widget->show();
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  HWND window = m_hWnd;
  if (!IsLiveWindow(window)) return FALSE;
  if (window->owner != nullptr) window->owner->OnDestroy();
  ++destroyingDepth;
  QWidget* widget = window->widget;
  QDockWidget* dock = window->dock;
  if (handlerDepth > 0) {
    // Deleting a widget inside its own event handler is not safe: it goes when the event is done.
    ForgetTree(widget);
    widget->hide();
    widget->deleteLater();
    if (dock != nullptr) dock->deleteLater();
  } else {
    delete widget;
    delete dock;
  }
  --destroyingDepth;
  m_hWnd = nullptr;
  PostNcDestroy();
  return TRUE;
}

BOOL CWnd::ShowWindow(int command) {
  if (!IsLiveWindow(m_hWnd)) return FALSE;
  BOOL wasVisible = IsWindowVisible();
  bool show = command != SW_HIDE;
  m_hWnd->widget->setVisible(show);
  if (m_hWnd->dock != nullptr) m_hWnd->dock->setVisible(show);
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

void CWnd::Invalidate(BOOL) {
  if (IsLiveWindow(m_hWnd)) m_hWnd->widget->update();
}

void CWnd::UpdateWindow() {
  if (IsLiveWindow(m_hWnd)) m_hWnd->widget->repaint();
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL) {
  if (IsLiveWindow(m_hWnd)) m_hWnd->widget->setGeometry(x, y, width, height);
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

void CWnd::GetClientRect(LPRECT rect) const {
  *rect = RECT{0, 0, 0, 0};
  if (!IsLiveWindow(m_hWnd)) return;
  rect->right = m_hWnd->widget->width();
  rect->bottom = m_hWnd->widget->height();
}

void CWnd::GetWindowRect(LPRECT rect) const {
  *rect = RECT{0, 0, 0, 0};
  if (!IsLiveWindow(m_hWnd)) return;
  QWidget* widget = m_hWnd->widget;
  QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
  *rect = RECT{topLeft.x(), topLeft.y(), topLeft.x() + widget->width(), topLeft.y() + widget->height()};
}

void CWnd::ScreenToClient(LPRECT rect) const {
  POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
  ::ScreenToClient(m_hWnd, &a);
  ::ScreenToClient(m_hWnd, &b);
  *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::SetWindowText(LPCWSTR text) {
  if (!IsLiveWindow(m_hWnd)) return;
  QString value = QString::fromWCharArray(text != nullptr ? text : L"");
  QWidget* widget = m_hWnd->widget;
  widget->setWindowTitle(value);
  widget->setProperty("text", value);
  widget->update();
}

std::wstring CWnd::GetWindowText() const {
  if (!IsLiveWindow(m_hWnd)) return {};
  QVariant text = m_hWnd->widget->property("text");
  return (text.isValid() ? text.toString() : m_hWnd->widget->windowTitle()).toStdWString();
}

void CWnd::SetFont(CFont* font, BOOL) {
  if (!IsLiveWindow(m_hWnd)) return;
  m_hWnd->font = font;
  m_hWnd->widget->setFont(ControlFont(m_hWnd));
  m_hWnd->widget->update();
}

DWORD CWnd::GetStyle() const { return IsLiveWindow(m_hWnd) ? m_hWnd->style : 0; }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
  if (!IsLiveWindow(m_hWnd)) return FALSE;
  m_hWnd->style = (m_hWnd->style & ~remove) | add;
  m_hWnd->widget->update();
  return TRUE;
}

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

CWnd* CWnd::GetDlgItem(int id) const {
  if (!IsLiveWindow(m_hWnd)) return nullptr;
  for (QObject* child : m_hWnd->widget->children()) {
    HWND record = RecordOf(qobject_cast<QWidget*>(child));
    if (record != nullptr && record->id == id) return OwnerOf(record);
  }
  return nullptr;
}

CWnd* CWnd::GetParent() const {
  if (!IsLiveWindow(m_hWnd)) return nullptr;
  return OwnerOf(RecordOf(m_hWnd->widget->parentWidget()));
}

CWnd* CWnd::GetWindow(UINT command) const {
  if (!IsLiveWindow(m_hWnd)) return nullptr;
  auto windowsOf = [](QWidget* parent) {
    std::vector<HWND> found;
    if (parent == nullptr) return found;
    for (QObject* child : parent->children())
      if (HWND record = RecordOf(qobject_cast<QWidget*>(child))) found.push_back(record);
    return found;
  };
  if (command == GW_CHILD) {
    std::vector<HWND> children = windowsOf(m_hWnd->widget);
    return children.empty() ? nullptr : OwnerOf(children.front());
  }
  if (command == GW_HWNDNEXT) {
    std::vector<HWND> siblings = windowsOf(m_hWnd->widget->parentWidget());
    for (size_t i = 0; i + 1 < siblings.size(); ++i)
      if (siblings[i] == m_hWnd) return OwnerOf(siblings[i + 1]);
  }
  return nullptr;
}

void CWnd::SetDlgItemText(int id, LPCWSTR text) {
  if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
  if (translated != nullptr) *translated = FALSE;
  CWnd* item = GetDlgItem(id);
  if (item == nullptr) return 0;
  std::wstring text = item->GetWindowText();
  const wchar_t* begin = text.c_str();
  while (*begin == L' ') ++begin;
  wchar_t* end = nullptr;
  errno = 0;
  long long value = std::wcstoll(begin, &end, 10);
  while (end != nullptr && *end == L' ') ++end;
  bool whole = end != begin && end != nullptr && *end == L'\0' && errno == 0;
  bool fits = isSigned ? value >= INT32_MIN && value <= INT32_MAX : value >= 0 && value <= static_cast<long long>(UINT32_MAX);
  if (!whole || !fits) return 0;
  if (translated != nullptr) *translated = TRUE;
  return static_cast<UINT>(value);
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
  std::wstring text = isSigned ? std::to_wstring(static_cast<int>(value)) : std::to_wstring(value);
  SetDlgItemText(id, text.c_str());
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void*) {
  if (!IsLiveWindow(m_hWnd)) return 0;
  KillTimer(id);
  int qtId = m_hWnd->widget->startTimer(static_cast<int>(elapseMs), Qt::PreciseTimer);
  if (qtId == 0) return 0;
  m_hWnd->timers[qtId] = id;
  return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
  if (!IsLiveWindow(m_hWnd)) return FALSE;
  for (auto it = m_hWnd->timers.begin(); it != m_hWnd->timers.end(); ++it) {
    if (it->second != id) continue;
    m_hWnd->widget->killTimer(it->first);
    m_hWnd->timers.erase(it);
    return TRUE;
  }
  return FALSE;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD) {
  RECT rect;
  GetWindowRect(&rect);
  return CSize(rect.right - rect.left, rect.bottom - rect.top);
}

// --- Windows functions -----------------------------------------------------------------------

BOOL IsWindow(HWND window) { return IsLiveWindow(window) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND window) {
  if (!IsLiveWindow(window)) return FALSE;
  return window->widget->isVisible() ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND window) {
  if (!IsLiveWindow(window)) return FALSE;
  QWidget* top = window->widget->window();
  top->raise();
  top->activateWindow();
  return TRUE;
}

int GetClassNameW(HWND window, LPWSTR className, int maxCount) {
  if (!IsLiveWindow(window) || className == nullptr || maxCount <= 0) return 0;
  std::wstring name = window->className.substr(0, static_cast<size_t>(maxCount - 1));
  std::wmemcpy(className, name.c_str(), name.size() + 1);
  return static_cast<int>(name.size());
}

int GetDlgCtrlID(HWND window) { return IsLiveWindow(window) ? window->id : 0; }

HRESULT SetWindowTheme(HWND window, LPCWSTR subAppName, LPCWSTR) {
  if (!IsLiveWindow(window)) return E_INVALIDARG;
  window->theme = subAppName != nullptr ? subAppName : L"";
  return S_OK;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR cursorName) {
  return reinterpret_cast<HCURSOR>(const_cast<wchar_t*>(cursorName));
}

namespace {
QPointer<QWidget> cursorTarget;
HCURSOR currentCursor = nullptr;
}  // namespace

namespace pelvarhost::gui {
void SetCursorTarget(QWidget* widget) { cursorTarget = widget; }
}  // namespace pelvarhost::gui

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  if (cursorTarget != nullptr)
    cursorTarget->setCursor(cursor == LoadCursorW(nullptr, IDC_HAND) ? Qt::PointingHandCursor : Qt::ArrowCursor);
  return previous;
}

BOOL GetCursorPos(POINT* point) {
  QPoint at = QCursor::pos();
  *point = POINT{at.x(), at.y()};
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
  if (!IsLiveWindow(window)) return FALSE;
  QPoint local = window->widget->mapFromGlobal(QPoint(point->x, point->y));
  *point = POINT{local.x(), local.y()};
  return TRUE;
}

int GetSystemMetrics(int index) {
  QScreen* screen = HaveGuiApplication() ? QGuiApplication::primaryScreen() : nullptr;
  if (screen == nullptr) return 0;
  if (index == SM_CXSCREEN) return screen->geometry().width();
  if (index == SM_CYSCREEN) return screen->geometry().height();
  return 0;
}

void* adsw_acadMainWnd() { return RecordOf(MainFrameWidget()); }
