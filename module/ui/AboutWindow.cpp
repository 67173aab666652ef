// The About window. It lives on the host's user-interface thread: a 33 ms timer advances
// the frame counter and draws the frame into the back buffer, painting copies it out.
#include "ui/AboutWindow.h"
#include "ui/PanelHooks.h"

#include <memory>

#include "afxwin.h"
#include "gdiplus.h"
#include "mmsystem.h"
#include "shellapi.h"
#include "ui/AboutFrame.h"
#include "ui/AboutSound.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kFrameMs = 33;
constexpr const wchar_t* kAboutClass = L"PelvarAboutWnd";
constexpr const wchar_t* kAboutTitle = L"Pelvar";

class CPelvarAboutWnd : public CWnd {
 public:
  ~CPelvarAboutWnd() override {
    if (GetSafeHwnd() != nullptr) DestroyWindow();
    if (gdiplusToken_ != 0) Gdiplus::GdiplusShutdown(gdiplusToken_);
  }

  // Builds the scene and the window, starts the timer and the tune; false when the window
  // cannot be made (no window system).
  bool Open() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) != Gdiplus::Ok) return false;
    int left = (GetSystemMetrics(SM_CXSCREEN) - kAboutWidth) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - kAboutHeight) / 2;
    CRect rect(left, top, left + kAboutWidth, top + kAboutHeight);
    if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kAboutClass, kAboutTitle, WS_POPUP | WS_VISIBLE, rect, nullptr, 0))
      return false;
    backBuffer_ = std::make_unique<Gdiplus::Bitmap>(kAboutWidth, kAboutHeight, Gdiplus::PixelFormat32bppARGB);
    DrawFrame();
    SetTimer(kFrameTimer, kFrameMs, nullptr);
    SetForegroundWindow();
    sound_ = BuildChiptuneWav();
    PlaySoundW(reinterpret_cast<LPCWSTR>(sound_.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP | SND_NODEFAULT);
    return true;
  }

  int Frame() const { return frame_; }
  const Gdiplus::Bitmap* BackBuffer() const { return backBuffer_.get(); }
  const AboutHitAreas& HitAreas() const { return hits_; }

  void OnTimer(UINT_PTR id) override {
    if (id != kFrameTimer) return;
    ++frame_;
    DrawFrame();
    Invalidate(FALSE);
  }

  void OnPaint() override {
    CPaintDC dc(this);
    if (!backBuffer_) return;
    Gdiplus::Graphics screen(dc.GetSafeHdc());
    screen.DrawImage(backBuffer_.get(), 0, 0);
  }

  BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message) override {
    POINT at;
    GetCursorPos(&at);
    ::ScreenToClient(GetSafeHwnd(), &at);
    bool overHit = hits_.link.Contains(static_cast<Gdiplus::REAL>(at.x), static_cast<Gdiplus::REAL>(at.y)) ||
                   hits_.closeBox.Contains(static_cast<Gdiplus::REAL>(at.x), static_cast<Gdiplus::REAL>(at.y));
    SetCursor(LoadCursorW(nullptr, overHit ? IDC_HAND : IDC_ARROW));
    return TRUE;
  }

  void OnKeyDown(UINT key, UINT repeat, UINT flags) override {
    if (key == VK_ESCAPE) DestroyWindow();
  }

  // The link opens the web page; a click anywhere else, the close box included, closes.
  void OnLButtonDown(UINT flags, CPoint point) override {
    if (hits_.link.Contains(static_cast<Gdiplus::REAL>(point.x), static_cast<Gdiplus::REAL>(point.y))) {
      ShellExecuteW(GetSafeHwnd(), L"open", kAboutLink, nullptr, nullptr, SW_SHOW);
      return;
    }
    DestroyWindow();
  }

  void OnDestroy() override {
    KillTimer(kFrameTimer);
    PlaySoundW(nullptr, nullptr, 0);
    backBuffer_.reset();
  }

 private:
  void DrawFrame() {
    if (!backBuffer_) return;
    Gdiplus::Graphics g(backBuffer_.get());
    DrawAboutFrame(g, scene_, frame_, hits_);
  }

  AboutScene scene_;
  std::unique_ptr<Gdiplus::Bitmap> backBuffer_;
  std::vector<uint8_t> sound_;
  AboutHitAreas hits_;
  int frame_ = 0;
  ULONG_PTR gdiplusToken_ = 0;
};

std::unique_ptr<CPelvarAboutWnd> aboutWindow;

}  // namespace

void PelvarAboutCommand() {
  if (!HaveMainWindowFor(L"PELVARABOUT")) return;
  if (aboutWindow && IsWindow(aboutWindow->GetSafeHwnd())) {
    aboutWindow->SetForegroundWindow();
    return;
  }
  // Every opening starts again from frame 0 with a new scene and tune.
  aboutWindow = std::make_unique<CPelvarAboutWnd>();
  if (!aboutWindow->Open()) aboutWindow.reset();
}

void CloseAboutWindow() { aboutWindow.reset(); }

bool AboutWindowOpen() { return aboutWindow && IsWindow(aboutWindow->GetSafeHwnd()); }
HWND AboutWindowHandle() { return AboutWindowOpen() ? aboutWindow->GetSafeHwnd() : nullptr; }
int AboutFrameCount() { return aboutWindow ? aboutWindow->Frame() : -1; }
