// The main frame seen by modules: docking palette sets, showing control bars, message boxes.
#include <QDockWidget>
#include <algorithm>
#include <QMainWindow>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>

#include "adui.h"
#include "hostgui.h"
#include "hostoutput.h"
#include "qtwindows.h"
#include "rxmfcapi.h"

using namespace pelvarhost::gui;

namespace {

CMDIFrameWnd& MainFrameObject() {
  static CMDIFrameWnd frame;
  return frame;
}

pelvarhost::MessageBoxHook messageBoxHook;
constexpr int kContentMargin = 6;

Qt::DockWidgetArea AreaOf(UINT dockBarId) {
  switch (dockBarId) {
    case AFX_IDW_DOCKBAR_RIGHT: return Qt::RightDockWidgetArea;
    case AFX_IDW_DOCKBAR_TOP: return Qt::TopDockWidgetArea;
    case AFX_IDW_DOCKBAR_BOTTOM: return Qt::BottomDockWidgetArea;
    default: return Qt::LeftDockWidgetArea;
  }
}

Qt::DockWidgetAreas AllowedAreas(DWORD dockStyle) {
  Qt::DockWidgetAreas areas;
  if (dockStyle & CBRS_ALIGN_LEFT) areas |= Qt::LeftDockWidgetArea;
  if (dockStyle & CBRS_ALIGN_RIGHT) areas |= Qt::RightDockWidgetArea;
  if (dockStyle & CBRS_ALIGN_TOP) areas |= Qt::TopDockWidgetArea;
  if (dockStyle & CBRS_ALIGN_BOTTOM) areas |= Qt::BottomDockWidgetArea;
  return areas == Qt::DockWidgetAreas() ? Qt::AllDockWidgetAreas : areas;
}

// The height a control bar needs to show all of its dialogs' controls: at least the height
// its module made it.
int ContentHeight(QWidget* bar) {
  int height = bar->height();
  for (QWidget* child : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    height = std::max(height, child->y() + child->childrenRect().bottom() + 1 + kContentMargin);
  return height;
}

// A bar taller than its dock scrolls inside it, so that every control can be reached in a
// small window.
QScrollArea* ScrollingHolder(QWidget* bar, QWidget* parent) {
  auto* holder = new QScrollArea(parent);
  holder->setFrameShape(QFrame::NoFrame);
  holder->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  holder->setWidgetResizable(true);
  bar->setMinimumHeight(ContentHeight(bar));
  holder->setWidget(bar);
  return holder;
}

}  // namespace

namespace pelvarhost {

void AttachMainFrame(QWidget* mainWindow) {
  SetMainFrameWidget(mainWindow);
  if (mainWindow != nullptr) AttachWindow(mainWindow, &MainFrameObject(), L"AfxMDIFrame", 0, WS_VISIBLE);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook previous = std::move(messageBoxHook);
  messageBoxHook = std::move(hook);
  return previous;
}

}  // namespace pelvarhost

CMDIFrameWnd* acedGetAcadFrame() {
  return IsLiveWindow(MainFrameObject().m_hWnd) ? &MainFrameObject() : nullptr;
}

void CFrameWnd::DockControlBar(CControlBar* bar, UINT dockBarId, LPCRECT) {
  auto* frame = IsLiveWindow(m_hWnd) ? qobject_cast<QMainWindow*>(m_hWnd->widget.data()) : nullptr;
  if (frame == nullptr || bar == nullptr || !IsLiveWindow(bar->m_hWnd)) return;
  HWND barWindow = bar->m_hWnd;
  QDockWidget* dock = barWindow->dock;
  if (dock == nullptr) {
    dock = new QDockWidget(barWindow->widget->windowTitle(), frame);
    dock->setObjectName(barWindow->widget->windowTitle());
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetClosable);
    dock->setVisible(barWindow->widget->isVisibleTo(barWindow->widget->parentWidget()));
    dock->setWidget(ScrollingHolder(barWindow->widget, dock));
    barWindow->dock = dock;
  }
  dock->setAllowedAreas(AllowedAreas(bar->m_dwDockStyle));
  frame->addDockWidget(AreaOf(dockBarId), dock);
  CSize docked = bar->CalcDynamicLayout(-1, LM_VERTDOCK);
  if (docked.cx > 0) {
    barWindow->widget->setMinimumWidth(docked.cx);
    // Room for the scroll bar too, so that a scrolled bar keeps its width.
    auto* holder = static_cast<QScrollArea*>(dock->widget());
    holder->setMinimumWidth(docked.cx + holder->verticalScrollBar()->sizeHint().width());
    frame->resizeDocks({dock}, {docked.cx}, Qt::Horizontal);
  }
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL) {
  if (bar != nullptr) bar->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

BOOL CAdUiPaletteSet::Create(LPCWSTR name, DWORD style, const RECT& rect, CWnd* parent, DWORD) {
  if (parent == nullptr || !IsLiveWindow(parent->m_hWnd) || IsLiveWindow(m_hWnd)) return FALSE;
  name_ = name != nullptr ? name : L"";
  QWidget* widget = MakeWindowWidget(parent->m_hWnd->widget, false);
  widget->setWindowTitle(QString::fromStdWString(name_));
  widget->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  widget->hide();
  AttachWindow(widget, this, L"AdUiPaletteSet", 0, style & ~WS_VISIBLE);
  return TRUE;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  std::wstring message = text != nullptr ? text : L"";
  if (messageBoxHook) return messageBoxHook(message, type);
  QWidget* frame = MainFrameWidget();
  if (!HaveGuiApplication() || frame == nullptr) {
    pelvarhost::WriteCommandLine(L"\n" + message);
    return IDOK;
  }
  QMessageBox box((type & MB_ICONINFORMATION) != 0 ? QMessageBox::Information : QMessageBox::NoIcon,
                  frame->windowTitle(), QString::fromStdWString(message), QMessageBox::Ok, frame);
  box.exec();
  return IDOK;
}
