// The program's window: the application object, the main window's life, the window's
// command line as an input source, and the window commands DELAY and SCREENSHOT.
#include "hostgui.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QScreen>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "aced.h"
#include "acutads.h"
#include "commandpane.h"
#include "drawingview.h"
#include "hostcmdline.h"
#include "hostgraphics.h"
#include "hostoutput.h"
#include "mainwindow.h"
#include "wcrt.h"
#include "workinput.h"

namespace pelvarhost {
namespace {

constexpr const wchar_t* kWindowCommandGroup = L"ACAD_WINDOW";
constexpr int kWaitTickMs = 30;
constexpr int kOutputRefreshMs = 40;
constexpr int kMaxDelayMs = 600000;

MainWindow* mainWindow = nullptr;
bool busyCursorShown = false;
// While the window waits for a line its own loop runs the events: nothing is held then.
bool awaitingLine = false;

// Numbers are read and printed in the C locale, whatever the application object set.
void RestoreCLocale() {
  std::setlocale(LC_ALL, "C");
  std::setlocale(LC_CTYPE, "C.UTF-8");
}

// Since the command at work began (invalid at a prompt).
QElapsedTimer& WorkClock() {
  static QElapsedTimer clock;
  return clock;
}

// Shows the busy cursor once a command has worked for a while.
void ShowBusyAfterAWhile() {
  if (!WorkClock().isValid()) WorkClock().start();  // work begun without an answer (a menu's command)
  if (busyCursorShown || WorkClock().elapsed() < kBusyAfterMs) return;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  busyCursorShown = true;
}

// Lets the window paint its output and follow resizing while a command works, and hear
// Esc; the drawing is regenerated at the next prompt.
void KeepWindowAlive() {
  static QElapsedTimer sinceRefresh;
  if (mainWindow == nullptr) return;
  // Inside a regeneration no event may run (a paint would start another one).
  if (mainWindow->View().ShowBusyIfRegeneratingLong() || awaitingLine) return;
  if (sinceRefresh.isValid() && sinceRefresh.elapsed() < kOutputRefreshMs) return;
  sinceRefresh.restart();
  ShowBusyAfterAWhile();
  mainWindow->View().holdRegeneration = true;
  RunEventsWhileWorking();
  if (mainWindow != nullptr) mainWindow->View().holdRegeneration = false;
}

// At a prompt: the work is over, the input held meanwhile is delivered.
void EndWork() {
  WorkClock().invalidate();
  if (busyCursorShown) QApplication::restoreOverrideCursor();
  busyCursorShown = false;
  ReleaseHeldInput();
}

// A file prompt answered in the window: the file dialog, starting in the prompt's folder.
std::optional<std::wstring> ChooseFileInDialog(const FileRequest& request) {
  QString title = QString::fromStdWString(request.title);
  QString start = request.start.empty() ? QDir::currentPath() : QString::fromStdWString(request.start);
  QString extension = QString::fromStdWString(request.extension);
  QString filter = extension.isEmpty() ? QString()
                                       : QStringLiteral("%1 files (*.%2);;All files (*)").arg(extension.toUpper(), extension);
  QString path = request.mayBeNew ? QFileDialog::getSaveFileName(mainWindow, title, start, filter)
                                  : QFileDialog::getOpenFileName(mainWindow, title, start, filter);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdWString();
}

class WindowInput : public InputSource {
 public:
  std::optional<std::wstring> ReadLine(const std::wstring& promptLine) override {
    if (mainWindow == nullptr) return std::nullopt;
    EndWork();
    mainWindow->BeginPrompt();
    awaitingLine = true;
    const struct AwaitingEnds {
      ~AwaitingEnds() { awaitingLine = false; }
    } awaiting;
    QTimer tick;
    tick.start(kWaitTickMs);
    while (mainWindow != nullptr && !mainWindow->Closing()) {
      std::optional<std::wstring> line = mainWindow->TakeLine();
      if (!line && ActiveCommandName().empty()) line = TakeQueuedCommand();
      if (line) {
        WorkClock().start();  // the work the answer sets going starts now
        return line;
      }
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      // A message printed meanwhile (a save from the menu) ends the prompt's line: the
      // prompt is shown again below it, so that the answer starts on its own line.
      if (CurrentOutputLine() != promptLine) WriteCommandLine(L"\n" + promptLine);
    }
    return std::nullopt;
  }
  bool ShowsFileDialogs() const override { return true; }
};

// DELAY: lets the window run (its animations and timers) for the given milliseconds.
void CmdDelay() {
  int ms = 0;
  acedInitGet(RSG_NONEG, nullptr);
  if (acedGetInt(L"\nDelay time in milliseconds: ", &ms) != RTNORM) return;
  if (ms > kMaxDelayMs) ms = kMaxDelayMs;
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, kWaitTickMs);
}

// The window a screenshot shows: a window kept on top of the main window (an About box),
// else the main window.
QWidget* ScreenshotSubject() {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top != mainWindow && top->isVisible() && (top->windowFlags() & Qt::WindowStaysOnTopHint)) return top;
  return mainWindow;
}

// SCREENSHOT: writes the window on top (see above) as a PNG file.
void CmdScreenshot() {
  ACHAR name[1024];
  if (acedGetString(1, L"\nPNG file: ", name, 1024) != RTNORM || name[0] == L'\0') return;
  QWidget* subject = ScreenshotSubject();
  if (subject == nullptr) {
    acutPrintf(L"\nThere is no window to show.");
    return;
  }
  QCoreApplication::processEvents();
  QImage image = subject->grab().toImage();
  QString path = QString::fromWCharArray(name);
  // QImage::save writes through a temporary file and renames it over the target.
  if (!image.save(path, "PNG")) {
    acutPrintf(L"\nScreenshot not written: %ls", name);
    return;
  }
  acutPrintf(L"\nScreenshot written to %ls (%d x %d).", name, image.width(), image.height());
}

}  // namespace

bool StartWindowApplication(int& argc, char** argv) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  bool named = platform != nullptr && platform[0] != '\0';
  if (!named && std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    std::fputs("pelvar: --gui needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
    return false;
  }
  new QApplication(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pelvar"));
  RestoreCLocale();
  return true;
}

void EnsureWindowApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "pelvar";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  RestoreCLocale();
}

void OpenMainWindow() {
  if (mainWindow != nullptr) return;
  mainWindow = new MainWindow;
  AttachMainFrame(mainWindow);
  // The output also goes to standard output, as in the console, for a log of the session.
  SetOutputSink([](std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
    if (mainWindow == nullptr) return;
    mainWindow->CommandLine().AppendOutput(utf8);
    KeepWindowAlive();
  });
  SetBreakWatcher(KeepWindowAlive);
  SetFileChooser(ChooseFileInDialog);
  SetDisplayListener([](DisplayEvent) {
    if (mainWindow == nullptr) return;
    mainWindow->View().MarkDirty();
    mainWindow->View().repaint();
  });
  if (acedRegCmds->lookupCmd(L"DELAY", true) == nullptr) {
    acedRegCmds->addCommand(kWindowCommandGroup, L"DELAY", L"DELAY", ACRX_CMD_MODAL, CmdDelay);
    acedRegCmds->addCommand(kWindowCommandGroup, L"SCREENSHOT", L"SCREENSHOT", ACRX_CMD_MODAL, CmdScreenshot);
  }
  mainWindow->show();
  QCoreApplication::processEvents();
}

std::unique_ptr<InputSource> MakeWindowInput() { return std::make_unique<WindowInput>(); }

void CloseMainWindow() {
  if (mainWindow == nullptr) return;
  acedRegCmds->removeGroup(kWindowCommandGroup);
  SetBreakWatcher(nullptr);
  SetFileChooser(nullptr);
  EndWork();
  DropHeldInput();
  SetDisplayListener(nullptr);
  SetOutputSink(nullptr);
  MainWindow* closing = mainWindow;
  mainWindow = nullptr;
  AttachMainFrame(nullptr);
  delete closing;
}

void StopWindowApplication() {
  QCoreApplication::processEvents();
  delete QCoreApplication::instance();
  RestoreCLocale();
}

}  // namespace pelvarhost
