// Stand-in for the MFC window classes a module builds its windows from. On this host the
// windows are real desktop windows of the program's window (pelvar --gui); in the console
// program no window can be created and Create reports failure.
//
// Message handling: where MFC routes messages through a message map to handlers, this host
// calls the handlers directly; they are virtual here and a window overrides those it handles.
#pragma once
#include <cstdint>
#include <string>

#include "windows.h"

// --- Colours, rectangles, points -------------------------------------------------------------
typedef DWORD COLORREF;
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)(((WORD)(l)) | (((DWORD)((WORD)(h))) << 16)))

struct RECT {
  LONG left, top, right, bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;
struct POINT {
  LONG x, y;
};
struct SIZE {
  LONG cx, cy;
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT: converts as MFC's does
  LONG Width() const { return right - left; }
  LONG Height() const { return bottom - top; }
  void DeflateRect(LONG x, LONG y) { left += x, top += y, right -= x, bottom -= y; }
  void OffsetRect(LONG x, LONG y) { left += x, right += x, top += y, bottom += y; }
  BOOL PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
};

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(LONG px, LONG py) : POINT{px, py} {}
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(LONG w, LONG h) : SIZE{w, h} {}
};

// --- Styles and codes ------------------------------------------------------------------------
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TOOLWINDOW 0x00000080L

#define BS_PUSHBUTTON 0x0L
#define BS_DEFPUSHBUTTON 0x1L
#define BS_CHECKBOX 0x2L
#define BS_AUTOCHECKBOX 0x3L
#define BS_RADIOBUTTON 0x4L
#define BS_AUTORADIOBUTTON 0x9L
#define BS_OWNERDRAW 0xBL
#define BS_TYPEMASK 0xFL
#define SS_LEFT 0x0L
#define SS_RIGHT 0x2L
#define SS_CENTERIMAGE 0x200L
#define ES_AUTOHSCROLL 0x80L
#define TBS_HORZ 0x0L
#define TBS_AUTOTICKS 0x1L

#define SW_HIDE 0
#define SW_SHOW 5

#define BN_CLICKED 0
#define EN_KILLFOCUS 0x0200

// Scroll notifications of a horizontal track bar (WM_HSCROLL codes).
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

#define ODT_BUTTON 4
#define ODS_SELECTED 0x0001

#define TRANSPARENT 1
#define OPAQUE 2
#define PS_SOLID 0
#define FW_NORMAL 400
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0

#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_SINGLELINE 0x0020
#define DT_NOPREFIX 0x0800

#define MB_OK 0x0L
#define MB_ICONINFORMATION 0x40L
#define IDOK 1

#define VK_ESCAPE 0x1B
#define SIZE_RESTORED 0
#define WA_INACTIVE 0
#define WA_ACTIVE 1

// --- Drawing objects -------------------------------------------------------------------------
class CGdiObject {
 public:
  virtual ~CGdiObject() = default;
  BOOL DeleteObject() {
    created_ = false;
    return TRUE;
  }
  bool IsCreated() const { return created_; }

 protected:
  bool created_ = false;
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
  BOOL CreateSolidBrush(COLORREF colour) {
    colour_ = colour;
    created_ = true;
    return TRUE;
  }
  COLORREF Colour() const { return colour_; }

 private:
  COLORREF colour_ = 0;
};
typedef CBrush* HBRUSH;

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
  BOOL CreatePen(int style, int width, COLORREF colour) {
    width_ = width;
    colour_ = colour;
    created_ = true;
    return TRUE;
  }
  COLORREF Colour() const { return colour_; }
  int Width() const { return width_; }

 private:
  int width_ = 1;
  COLORREF colour_ = 0;
};

// A font by face name and character height in pixels (a negative height, as Windows takes it).
class CFont : public CGdiObject {
 public:
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, LPCWSTR faceName) {
    height_ = height;
    weight_ = weight;
    italic_ = italic != 0;
    face_ = faceName != nullptr ? faceName : L"";
    created_ = true;
    return TRUE;
  }
  int Height() const { return height_; }
  int Weight() const { return weight_; }
  bool Italic() const { return italic_; }
  const std::wstring& FaceName() const { return face_; }

 private:
  int height_ = 0;
  int weight_ = FW_NORMAL;
  bool italic_ = false;
  std::wstring face_;
};

// --- Device contexts -------------------------------------------------------------------------
struct HDC__;
typedef HDC__* HDC;
class CWnd;

// Draws on a window while it paints. Objects selected into it stay owned by the caller.
class CDC {
 public:
  explicit CDC(HDC dc = nullptr) : m_hDC(dc) {}
  virtual ~CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  static CDC* FromHandle(HDC dc);

  void FillSolidRect(LPCRECT rect, COLORREF colour);
  int FillRect(LPCRECT rect, CBrush* brush);
  int FrameRect(LPCRECT rect, CBrush* brush);
  BOOL Ellipse(LPCRECT rect);  // outlined with the selected pen, filled with the selected brush
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  COLORREF SetTextColor(COLORREF colour);
  COLORREF SetBkColor(COLORREF colour);
  int SetBkMode(int mode);
  COLORREF GetTextColor() const;
  COLORREF GetBkColor() const;
  int GetBkMode() const;
  int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format);

  HDC m_hDC;
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* window);
};

struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;

// --- Windows ---------------------------------------------------------------------------------
class CScrollBar;
class CDataExchange;

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  // The object that answers for a window: its owner, or a stand-in object for a control
  // that no object of the module took over.
  static CWnd* FromHandle(HWND window);

  // Creates a top-level (WS_POPUP) or child window; className is informative only.
  BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id);
  virtual BOOL DestroyWindow();

  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  BOOL SetForegroundWindow();
  void Invalidate(BOOL erase = TRUE);
  void UpdateWindow();
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  void GetClientRect(LPRECT rect) const;
  // The window's rectangle on the screen.
  void GetWindowRect(LPRECT rect) const;
  void ScreenToClient(LPRECT rect) const;
  void SetWindowText(LPCWSTR text);
  std::wstring GetWindowText() const;
  void SetFont(CFont* font, BOOL redraw = TRUE);
  DWORD GetStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  int GetDlgCtrlID() const;
  CWnd* GetDlgItem(int id) const;
  CWnd* GetParent() const;
  // The first child (GW_CHILD) or the next sibling (GW_HWNDNEXT) in creation order.
  CWnd* GetWindow(UINT command) const;
  void SetDlgItemText(int id, LPCWSTR text);
  // The text of a control read as an integer; *translated tells whether it was one.
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* unused);
  BOOL KillTimer(UINT_PTR id);

  // Handlers, called by the host (see the note at the top of this file).
  virtual void OnSize(UINT type, int cx, int cy) {}
  // Returns TRUE when the handler painted the background.
  virtual BOOL OnEraseBkgnd(CDC* dc) { return FALSE; }
  virtual void OnPaint() {}
  virtual void OnDrawItem(int controlId, LPDRAWITEMSTRUCT item) {}
  // A brush for the control's background with the text colours set in dc, or null for
  // the host's own colours.
  virtual HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor) { return nullptr; }
  virtual void OnHScroll(UINT code, UINT position, CScrollBar* scrollBar) {}
  // A control's notification: LOWORD(wParam) the id, HIWORD(wParam) the code.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam) { return FALSE; }
  virtual void OnActivate(UINT state, CWnd* other, BOOL minimized) {}
  virtual void OnTimer(UINT_PTR id) {}
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags) {}
  virtual void OnLButtonDown(UINT flags, CPoint point) {}
  // The mouse moved over the window: TRUE when the handler chose the cursor.
  virtual BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message) { return FALSE; }
  virtual void OnDestroy() {}
  virtual void PostNcDestroy() {}

  HWND m_hWnd = nullptr;
};

#define GW_HWNDNEXT 2
#define GW_CHILD 5

class CButton : public CWnd {};
class CStatic : public CWnd {};
class CEdit : public CWnd {};
class CScrollBar : public CWnd {};

class CSliderCtrl : public CWnd {
 public:
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
  void SetTicFreq(int frequency);
  void SetPos(int position);
  int GetPos() const;
};

// Binds a control of a dialog to a member object (DDX_Control).
class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

// A dialog template held in memory: the dialog's size in dialog units and font, and its
// controls. Control classes: "Button", "Static", "Edit", "msctls_trackbar32".
struct DialogControlTemplate {
  LPCWSTR className;
  LPCWSTR text;
  int id;  // -1 for a control without id
  DWORD style;
  short x, y, cx, cy;
};
struct DialogTemplate {
  LPCWSTR fontName;
  WORD pointSize;
  DWORD style;
  short cx, cy;
  const DialogControlTemplate* controls;
  int controlCount;
};

class CDialog : public CWnd {
 public:
  CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}
  // Creates the dialog from its template as a child of the parent: the controls, then
  // DoDataExchange and OnInitDialog.
  BOOL CreateIndirect(const DialogTemplate& dialogTemplate, CWnd* parent);
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* exchange) {}
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  // Converts a rectangle in dialog units to pixels.
  void MapDialogRect(LPRECT rect) const;

  UINT m_nIDHelp;
  CWnd* m_pParentWnd;
};

// --- Frames and control bars -----------------------------------------------------------------
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define AFX_IDW_DOCKBAR_TOP 0xE81B
#define AFX_IDW_DOCKBAR_LEFT 0xE81C
#define AFX_IDW_DOCKBAR_RIGHT 0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81E
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10

class CControlBar : public CWnd {
 public:
  void EnableDocking(DWORD style) { m_dwDockStyle = style; }
  // The bar's size for a layout request (LM_ flags); the base answers the window's size.
  virtual CSize CalcDynamicLayout(int length, DWORD mode);
  DWORD m_dwDockStyle = 0;
};

class CFrameWnd : public CWnd {
 public:
  void EnableDocking(DWORD style) {}
  // Docks the bar at the frame's edge named by the dock bar id (AFX_IDW_DOCKBAR_LEFT ...).
  void DockControlBar(CControlBar* bar, UINT dockBarId = 0, LPCRECT rect = nullptr);
  void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);
};

class CMDIFrameWnd : public CFrameWnd {};

// A modal message box over the main window; in the console program the text goes to the
// command line instead.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);

// Windows functions over window handles.
int GetClassNameW(HWND window, LPWSTR className, int maxCount);
int GetDlgCtrlID(HWND window);

// --- Cursors ---------------------------------------------------------------------------------
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;
#define IDC_ARROW ((LPCWSTR)(ULONG_PTR)32512)
#define IDC_HAND ((LPCWSTR)(ULONG_PTR)32649)
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR cursorName);
// Sets the cursor of the window whose OnSetCursor runs; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
BOOL GetCursorPos(POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
int GetSystemMetrics(int index);
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
