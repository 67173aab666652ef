// Internal to the host's windows: what a window handle names, and the Qt widgets behind the
// MFC-style window classes.
#pragma once
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "afxwin.h"

class QDockWidget;
class QPainter;

// One window: its widget, the object that answers for it and its Windows attributes.
struct HWND__ {
  QPointer<QWidget> widget;
  CWnd* owner = nullptr;             // the module's object, or standIn
  std::unique_ptr<CWnd> standIn;     // answers for a control no object took over
  std::unique_ptr<CScrollBar> scrollBar;  // names a track bar in its scroll notifications
  int id = 0;
  DWORD style = 0;
  std::wstring className;
  QDockWidget* dock = nullptr;       // the dock a control bar sits in
  HDC paintDc = nullptr;             // while the window paints
  CFont* font = nullptr;             // set with SetFont
  std::map<int, UINT_PTR> timers;    // Qt timer id -> the window's timer id
  std::wstring theme;
};

// A painter with the state a device context keeps.
struct HDC__ {
  QPainter* painter = nullptr;
  CDC* object = nullptr;
  QFont defaultFont;
  COLORREF textColour = 0;
  COLORREF backColour = RGB(255, 255, 255);
  int backMode = OPAQUE;
  CPen* pen = nullptr;
  CBrush* brush = nullptr;
  CFont* font = nullptr;
};

namespace pelvarhost::gui {

// True when the program runs with its window (a QApplication exists).
bool HaveGuiApplication();

// Makes a record for a new widget; the record goes when the widget is destroyed.
HWND AttachWindow(QWidget* widget, CWnd* owner, const std::wstring& className, int id, DWORD style);
HWND RecordOf(const QWidget* widget);
bool IsLiveWindow(HWND window);
// The object that answers for the window (the stand-in object for a plain control).
CWnd* OwnerOf(HWND window);
// True while windows are being destroyed: their handlers are not called then.
bool Destroying();

// Marks a handler of the module running for a widget's event: a window destroyed from
// inside it goes at once for the module, its widget only when the event is done.
class HandlerScope {
 public:
  HandlerScope();
  ~HandlerScope();
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
};

QColor ToQColor(COLORREF colour);
COLORREF ToColorRef(const QColor& colour);
// The face this host shows for a Windows face name it may not have.
QString SubstituteFace(const std::wstring& face);
// The Qt font for a Windows face name and character height in pixels.
QFont ToQFont(const std::wstring& face, int pixelHeight, int weight, bool italic);
// The font a control draws with: its own, else its dialog's.
QFont ControlFont(HWND window);

// Asks the dialog of a control for its colours (OnCtlColor); false when it leaves them to
// the host.
bool AskControlColours(QWidget* control, UINT ctlColor, QColor& text, QColor& background);

// The widget classes behind the controls of a dialog template and plain windows.
QWidget* MakeControl(const DialogControlTemplate& item, QWidget* parent);
QWidget* MakeWindowWidget(QWidget* parent, bool popup);

// Dialog units to pixels for the dialog font of this host (6 x 13 pixels per character).
RECT DialogUnitsToPixels(const RECT& units);

// The main frame while the window exists.
void SetMainFrameWidget(QWidget* mainWindow);
QWidget* MainFrameWidget();

}  // namespace pelvarhost::gui
