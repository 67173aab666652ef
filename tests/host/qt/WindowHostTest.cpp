// The program's window on the offscreen platform: the drawing view's zoom and pan, the
// command line's output and input, and the window as an input source of the command loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QDir>
#include <QSettings>
#include <clocale>
#include <cwchar>

#include "acdocman.h"
#include "commandpane.h"
#include "dbapserv.h"
#include "dbdatabase.h"
#include "dbundo.h"
#include "drawingview.h"
#include "hostgui.h"
#include "edanswer.h"
#include "hostcommands.h"
#include "hostinput.h"
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

namespace {

using pelvarhost::CommandPane;
using pelvarhost::DrawingView;

// The application object lives for the whole program and goes at its end, fonts and all.
class WindowApplication : public testing::Environment {
 public:
  void SetUp() override {
    // A locale of the user's that the application object takes up (see WindowLocale).
    ::setenv("LC_ALL", "C.UTF-8", 1);
    // The window's own settings (the recent drawings) go to a folder of the tests.
    ::setenv("XDG_CONFIG_HOME", (std::filesystem::path(testing::TempDir()) / "pelvar_window_config").c_str(), 1);
    pelvarhost::EnsureWindowApplication();
  }
  void TearDown() override { pelvarhost::StopWindowApplication(); }
};

[[maybe_unused]] testing::Environment* const application = testing::AddGlobalTestEnvironment(new WindowApplication);

class WindowHostTest : public testing::Test {
 protected:
  void SetUp() override {
    pelvarhost::ViewRecord view;
    view.centerX = 100, view.centerY = 50, view.height = 40;
    db_.setViewRecord(view);
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    pelvarhost::ResetInput();
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    pelvarhost::ResetInput();
  }
  AcDbDatabase db_;
};

void Mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPointF at) {
  QMouseEvent event(type, at, widget->mapToGlobal(at), button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

TEST_F(WindowHostTest, ZoomKeepsThePointUnderTheCursor) {
  DrawingView view({});
  view.resize(400, 300);
  QPointF cursor(300, 75);
  QPointF before = view.WorldAt(cursor);
  view.ZoomAbout(cursor, 0.5);
  EXPECT_DOUBLE_EQ(db_.viewRecord().height, 20);
  QPointF after = view.WorldAt(cursor);
  EXPECT_NEAR(after.x(), before.x(), 1e-9);
  EXPECT_NEAR(after.y(), before.y(), 1e-9);
  // 300 pixels show 40 units at first: the centre pixel is the view's centre.
  EXPECT_NEAR(view.WorldAt(QPointF(200, 150)).x(), 100 + (before.x() - 100) * 0.5, 1e-9);
}

TEST_F(WindowHostTest, PanningMovesTheLastImageAndRegeneratesOnRelease) {
  DrawingView view({});
  view.resize(400, 300);
  view.show();
  view.grab();  // paints
  int regenerations = view.Regenerations();
  EXPECT_GE(regenerations, 1);
  Mouse(&view, QEvent::MouseButtonPress, Qt::MiddleButton, QPointF(100, 100));
  for (int step = 1; step <= 5; ++step) {
    Mouse(&view, QEvent::MouseMove, Qt::MiddleButton, QPointF(100 + 15 * step, 100 - 6 * step));
    view.grab();
  }
  EXPECT_EQ(view.Regenerations(), regenerations);  // redrawn, not regenerated, while panning
  EXPECT_DOUBLE_EQ(db_.viewRecord().centerX, 100);
  Mouse(&view, QEvent::MouseButtonRelease, Qt::MiddleButton, QPointF(175, 70));
  view.grab();
  EXPECT_EQ(view.Regenerations(), regenerations + 1);
  // The drawing followed the mouse: 75 pixels right and 30 up at 7.5 pixels per unit.
  EXPECT_NEAR(db_.viewRecord().centerX, 100 - 75 / 7.5, 1e-9);
  EXPECT_NEAR(db_.viewRecord().centerY, 50 - 30 / 7.5, 1e-9);
}

TEST_F(WindowHostTest, LeftClickReportsTheWorldPoint) {
  double x = 0, y = 0;
  int clicks = 0;
  DrawingView view([&](double px, double py) { x = px, y = py, ++clicks; });
  view.resize(400, 300);
  Mouse(&view, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(200, 0));
  EXPECT_EQ(clicks, 1);
  EXPECT_NEAR(x, 100, 1e-9);
  EXPECT_NEAR(y, 70, 1e-9);  // the top edge: 20 units above the centre
}

TEST_F(WindowHostTest, CommandLineShowsHistoryAndPromptAndSendsLines) {
  std::vector<QString> sent;
  CommandPane pane([&](const QString& line) { sent.push_back(line); });
  pane.AppendOutput("\nCommand: LINE\nSpecify first point: ");
  EXPECT_EQ(pane.PromptText().toStdString(), "Specify first point: ");
  pane.AppendOutput("\rProgress 1\rProgress 2");
  EXPECT_EQ(pane.PromptText().toStdString(), "Progress 2");
  EXPECT_EQ(pane.History().toStdString(), "Command: LINE\nProgress 2");

  auto* input = pane.findChild<QLineEdit*>("commandInput");
  ASSERT_NE(input, nullptr);
  input->setText("0,0");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(input, &enter);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(input, &escape);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], "0,0");
  EXPECT_EQ(sent[1], "^C");
  EXPECT_EQ(input->text(), "");
}

// At the command prompt the window runs text queued with sendStringToExecute at once:
// the first word is the command, the rest answers its prompts.
TEST_F(WindowHostTest, WindowInputTakesQueuedCommandsAtTheCommandPrompt) {
  pelvarhost::OpenMainWindow();
  auto input = pelvarhost::MakeWindowInput();
  pelvarhost::QueueTypedText(L"ZOOM E\n");
  EXPECT_EQ(input->ReadLine(L"Command: "), std::optional<std::wstring>(L"ZOOM"));
  EXPECT_EQ(pelvarhost::QueuedTyping(), L"");
  pelvarhost::CloseMainWindow();
  EXPECT_EQ(input->ReadLine(L"Command: "), std::nullopt);  // the window is gone: the input ends
}

// Work that prints nothing and tests for no break (host work such as a large
// triangulation) still lets the window show it is busy once it has run half a second since
// the answer that started it; the next prompt takes the busy cursor away.
TEST_F(WindowHostTest, SilentWorkShowsTheBusyCursorAfterHalfASecond) {
  pelvarhost::OpenMainWindow();
  auto input = pelvarhost::MakeWindowInput();
  auto busy = [] {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::BusyCursor;
  };
  const struct {
    const wchar_t* command;
    int silentMs;
    bool busyAfter;
  } steps[] = {{L"ZOOM", 0, false}, {L"REGEN", 600, true}, {L"ZOOM", 0, false}};
  for (const auto& step : steps) {
    pelvarhost::QueueTypedText(std::wstring(step.command) + L"\n");
    ASSERT_EQ(input->ReadLine(L"Command: "), std::optional<std::wstring>(step.command));
    std::this_thread::sleep_for(std::chrono::milliseconds(step.silentMs));
    pelvarhost::LetWindowRunDuringWork();
    EXPECT_EQ(busy(), step.busyAfter) << "after " << step.silentMs << " ms of silent work";
  }
  pelvarhost::CloseMainWindow();
}

// The Edit menu names the command an undo or a redo would take back or do again, is
// disabled when there is none, and queues the host's own command when chosen.
TEST_F(WindowHostTest, TheEditMenuNamesTheNextUndoAndRedoAndQueuesThem) {
  pelvarhost::OpenMainWindow();
  AcApDocument* doc = acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), L"Edit.pvd", true);
  auto editAction = [](const QString& prefix) -> QAction* {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* window = qobject_cast<QMainWindow*>(top))
        for (QAction* menu : window->menuBar()->actions())
          if (menu->menu() != nullptr && menu->text() == QStringLiteral("&Edit"))
            for (QAction* action : menu->menu()->actions())
              if (action->text().startsWith(prefix)) return action;
    return nullptr;
  };
  auto prompt = [] {  // a prompt brings the menu up to date
    pelvarhost::QueueTypedText(L"DOCS\n");
    pelvarhost::MakeWindowInput()->ReadLine(L"Command: ");
  };
  {
    pelvarhost::UndoGroupSpan zoom(L"ZOOM");
    pelvarhost::ViewRecord view;
    view.centerX = 7, view.centerY = 7, view.height = 70;
    doc->database()->setViewRecord(view);
  }
  const struct {
    const char* step;
    int undo;  // groups to undo (negative: redo) before the prompt
    QString undoText, redoText;
    const wchar_t* queued;  // what choosing the enabled one of them queues
  } steps[] = {{"after ZOOM", 0, "&Undo ZOOM", "&Redo", L"_U\n"}, {"after its undo", 1, "&Undo", "&Redo ZOOM", L"_REDO\n"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    if (step.undo > 0) pelvarhost::UndoGroups(*doc->database(), step.undo);
    prompt();
    QAction* undo = editAction("&Undo");
    QAction* redo = editAction("&Redo");
    ASSERT_TRUE(undo != nullptr && redo != nullptr);
    EXPECT_EQ(undo->text(), step.undoText);
    EXPECT_EQ(redo->text(), step.redoText);
    EXPECT_EQ(undo->isEnabled(), step.undoText != "&Undo");
    EXPECT_EQ(redo->isEnabled(), step.redoText != "&Redo");
    (undo->isEnabled() ? undo : redo)->trigger();
    EXPECT_EQ(pelvarhost::QueuedTyping(), step.queued);
    pelvarhost::ResetInput();
  }
  acDocManagerPtr()->closeDocument(doc);
  pelvarhost::CloseMainWindow();
}

// Tab completes the word before the cursor (command names at the command prompt, file
// names in a file prompt's folder, its extension's files first) and keeps the text after it.
TEST_F(WindowHostTest, TabCompletesTheWordBeforeTheCursorAndKeepsTheRest) {
  const auto folder = std::filesystem::path(testing::TempDir()) / "pelvar_tab_completion";
  std::filesystem::create_directories(folder / "sub");
  for (const char* name : {"site.kmt", "site.txt", "solo.kmt"}) std::ofstream(folder / name) << "x";
  pelvarhost::RegisterHostCommands();
  CommandPane pane([](const QString&) {});
  auto* input = pane.findChild<QLineEdit*>("commandInput");
  const std::pair<const char*, const char*> commandCases[] = {
      {"ZO|", "ZOOM"}, {"zoom|", "zoom"}, {"ARX|", "ARX"}, {"SAV|x", "SAVEx"}, {"SAVEA| E", "SAVEAS E"}};
  const std::pair<const char*, const char*> fileCases[] = {
      {"si|", "site."}, {"so|", "solo.kmt"}, {"su|", "sub/"}, {"x so| y", "x solo.kmt y"}};
  auto complete = [&](const QString& typed) {  // "|" marks the cursor
    input->setText(QString(typed).remove(QLatin1Char('|')));
    input->setCursorPosition(static_cast<int>(typed.indexOf(QLatin1Char('|'))));
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(input, &tab);
    return input->text().toStdString();
  };
  for (auto [typed, expected] : commandCases) EXPECT_EQ(complete(typed), expected);
  const pelvarhost::detail::FilePromptScope asking({L"File", folder.wstring() + L"/", L"kmt", false});
  for (auto [typed, expected] : fileCases) EXPECT_EQ(complete(typed), expected);
  pelvarhost::RemoveHostCommands();
}

// The recent drawings: absolute paths, each once, the latest first, however a drawing was
// named when it was opened.
TEST_F(WindowHostTest, RecentDrawingsAreAbsoluteAndListedOnce) {
  const QString a = QDir::current().absoluteFilePath("a.pvd"), b = QDir::current().absoluteFilePath("sub/b.pvd");
  QSettings settings(QStringLiteral("Pelvar"), QStringLiteral("Pelvar"));
  settings.remove(QStringLiteral("recentDrawings"));
  pelvarhost::OpenMainWindow();
  const std::pair<QString, QStringList> cases[] = {
      {"a.pvd", {a}}, {"./sub/../a.pvd", {a}}, {"sub/b.pvd", {b, a}}, {a, {a, b}}};
  for (const auto& [opened, expected] : cases) {
    AcApDocument* doc = acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), opened.toStdWString(), false);
    pelvarhost::QueueTypedText(L"DOCS\n");
    pelvarhost::MakeWindowInput()->ReadLine(L"Command: ");  // a prompt: the current drawing is remembered
    settings.sync();
    EXPECT_EQ(settings.value("recentDrawings").toStringList(), expected) << opened.toStdString();
    acDocManagerPtr()->closeDocument(doc);
  }
  pelvarhost::CloseMainWindow();
}

}  // namespace

namespace {

// The application object sets the user's locale; the host puts the C locale back, so that
// numbers are read and written with a point whatever the user's language.
TEST(WindowLocale, NumbersStayInTheCLocale) {
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  wchar_t text[32];
  std::swprintf(text, 32, L"%.2f", 1234.5);
  EXPECT_STREQ(text, L"1234.50");
  EXPECT_DOUBLE_EQ(std::wcstod(L"2.25", nullptr), 2.25);
}

}  // namespace
