// The main window of the program: drawing view, command line, menus, docked palettes.
#pragma once
#include <QMainWindow>
#include <deque>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QMenu;

namespace pelvarhost {

class CommandPane;
class DrawingView;

class MainWindow : public QMainWindow {
 public:
  MainWindow();

  DrawingView& View() { return *view_; }
  CommandPane& CommandLine() { return *commandLine_; }

  // Called each time the command loop waits for a line: the drawing may have changed.
  void BeginPrompt();
  // The next line the user sent, if any.
  std::optional<std::wstring> TakeLine();
  // Sends a line as if typed and entered.
  void SendLine(const QString& line);
  // Sends lines that run a command when the command prompt is next reached.
  void QueueCommand(const QString& lines);
  bool Closing() const { return closing_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void RebuildRecentMenu();
  void RememberRecent(const QString& path);
  void OpenDrawingFile(const QString& path);
  void SaveAs();
  void ExportPng();
  void AnswerPoint(double x, double y);
  bool MayQuit();
  void UpdateTitle();
  void UpdateEditMenu();

  DrawingView* view_;
  CommandPane* commandLine_;
  QLabel* coordinates_;
  QMenu* recentMenu_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  std::deque<std::wstring> lines_;
  bool closing_ = false;
};

}  // namespace pelvarhost
