#include "mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <cstdio>

#include "acdocman.h"
#include "acutads.h"
#include "commandpane.h"
#include "dbdatabase.h"
#include "dbundo.h"
#include "drawingview.h"
#include "hostcmdline.h"
#include "hostcommands.h"
#include "hostinput.h"
#include "wcrt.h"

namespace pelvarhost {
namespace {

constexpr int kRecentCount = 8;
constexpr char kRecentKey[] = "recentDrawings";
constexpr char kDrawingFilter[] = "Drawings (*.pvd)";
constexpr int kCommandLineHeight = 170;

QString FormatCoordinate(double value) {
  return QString::number(value, 'f', 4);
}

bool InsideDock(const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget())
    if (qobject_cast<const QDockWidget*>(widget) != nullptr) return true;
  return false;
}

QSettings Settings() { return QSettings(QStringLiteral("Pelvar"), QStringLiteral("Pelvar")); }

// A line that answers a file prompt: the path on its own line after the command.
QString CommandWithFile(const char* command, const QString& path) {
  return QString::fromLatin1(command) + QLatin1Char('\n') + path + QLatin1Char('\n');
}

// Saves a document for the unsaved-changes question; false when it was not saved.
bool SaveDocument(QWidget* parent, AcApDocument* doc) {
  QString path = QString::fromWCharArray(doc->fileName());
  if (doc->isUntitled()) {
    path = QFileDialog::getSaveFileName(parent, QStringLiteral("Save drawing as"), path, kDrawingFilter);
    if (path.isEmpty()) return false;
  }
  std::wstring file = path.toStdWString();
  if (doc->database()->saveAs(file.c_str()) != Acad::eOk) {
    QMessageBox::warning(parent, QStringLiteral("Pelvar"), QStringLiteral("Cannot save %1.").arg(path));
    return false;
  }
  doc->setFileName(file);
  doc->setUntitled(false);
  acutPrintf(L"\nSaved %ls", file.c_str());
  return true;
}

}  // namespace

MainWindow::MainWindow() {
  setObjectName("mainFrame");
  setWindowTitle(QStringLiteral("Pelvar"));
  view_ = new DrawingView([this](double x, double y) { AnswerPoint(x, y); });
  commandLine_ = new CommandPane([this](const QString& line) { SendLine(line); });
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(view_);
  split->addWidget(commandLine_);
  split->setStretchFactor(0, 1);
  split->setSizes({600, kCommandLineHeight});
  setCentralWidget(split);
  coordinates_ = new QLabel(this);
  statusBar()->addPermanentWidget(coordinates_);
  view_->cursorMoved = [this](double x, double y) {
    coordinates_->setText(FormatCoordinate(x) + QStringLiteral(", ") + FormatCoordinate(y));
  };
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
  BuildMenus();
  resize(1280, 860);
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&New"), QKeySequence::New, this, [this] { QueueCommand(QStringLiteral("NEW\n")); });
  file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, [this] {
    QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open drawing"), QString(), kDrawingFilter);
    if (!path.isEmpty()) OpenDrawingFile(path);
  });
  recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
  RebuildRecentMenu();
  file->addSeparator();
  file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { QueueCommand(QStringLiteral("SAVE\n")); });
  file->addAction(QStringLiteral("Save &As..."), QKeySequence::SaveAs, this, [this] { SaveAs(); });
  file->addAction(QStringLiteral("&Export PNG..."), this, [this] { ExportPng(); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, [this] { close(); });

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  undoAction_ = edit->addAction(QStringLiteral("&Undo"), QKeySequence::Undo, this,
                                [this] { QueueCommand(QStringLiteral("_U\n")); });
  redoAction_ = edit->addAction(QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y), this,
                                [this] { QueueCommand(QStringLiteral("_REDO\n")); });
  UpdateEditMenu();

  QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
  viewMenu->addAction(QStringLiteral("Zoom &Extents"), this, [this] { QueueCommand(QStringLiteral("ZOOM\nE\n")); });
  viewMenu->addAction(QStringLiteral("&Regenerate"), this, [this] { QueueCommand(QStringLiteral("REGEN\n")); });
  viewMenu->addAction(QStringLiteral("Re&draw"), this, [this] { QueueCommand(QStringLiteral("REDRAW\n")); });
  // The docked palettes, each shown or hidden again from here after its close button.
  viewMenu->addSection(QStringLiteral("Palettes"));
  QMenu* palettes = viewMenu;
  connect(viewMenu, &QMenu::aboutToShow, this, [this, palettes] {
    for (QAction* action : palettes->actions())
      if (action->property("palette").toBool()) palettes->removeAction(action);
    for (QDockWidget* dock : findChildren<QDockWidget*>()) {
      QAction* toggle = dock->toggleViewAction();
      toggle->setProperty("palette", true);
      palettes->addAction(toggle);
    }
  });
}

// The recent drawings as absolute paths, each once, newest first (older lists may hold
// relative paths and repeats).
static QStringList RecentDrawings() {
  QStringList recent;
  for (const QString& path : Settings().value(kRecentKey).toStringList()) {
    QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!recent.contains(absolute)) recent.append(absolute);
  }
  return recent;
}

void MainWindow::RebuildRecentMenu() {
  recentMenu_->clear();
  QStringList recent = RecentDrawings();
  for (const QString& path : recent) recentMenu_->addAction(path, this, [this, path] { OpenDrawingFile(path); });
  recentMenu_->setEnabled(!recent.isEmpty());
}

void MainWindow::RememberRecent(const QString& typedPath) {
  const QString path = QDir::cleanPath(QFileInfo(typedPath).absoluteFilePath());
  QStringList recent = RecentDrawings();
  if (!recent.isEmpty() && recent.front() == path && Settings().value(kRecentKey).toStringList() == recent) return;
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kRecentCount) recent.removeLast();
  Settings().setValue(kRecentKey, recent);
  RebuildRecentMenu();
}

void MainWindow::OpenDrawingFile(const QString& path) { QueueCommand(CommandWithFile("OPEN", path)); }

void MainWindow::SaveAs() {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save drawing as"), QString(), kDrawingFilter);
  if (!path.isEmpty()) QueueCommand(CommandWithFile("SAVEAS", path));
}

void MainWindow::ExportPng() {
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export PNG"), QStringLiteral("view.png"),
                                              QStringLiteral("PNG images (*.png)"));
  if (path.isEmpty()) return;
  QString size = QString::number(view_->width()) + QLatin1Char('\n') + QString::number(view_->height()) + QLatin1Char('\n');
  QueueCommand(CommandWithFile("PNGOUT", path) + size);
}

void MainWindow::QueueCommand(const QString& lines) { QueueTypedText(lines.toStdWString()); }

void MainWindow::SendLine(const QString& line) { lines_.push_back(line.toStdWString()); }

std::optional<std::wstring> MainWindow::TakeLine() {
  if (lines_.empty()) return std::nullopt;
  std::wstring line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

// A left click answers the running command's prompt with the point, after whatever is
// typed (an object-snap mode); at the command prompt it does nothing.
void MainWindow::AnswerPoint(double x, double y) {
  if (ActiveCommandName().empty()) return;
  QString typed = commandLine_->TypedText().trimmed();
  QString point = FormatCoordinate(x) + QLatin1Char(',') + FormatCoordinate(y);
  commandLine_->ClearTypedText();
  SendLine(typed.isEmpty() ? point : typed + QLatin1Char(' ') + point);
}

void MainWindow::BeginPrompt() {
  view_->MarkDirty();
  if (AcApDocument* doc = curDoc(); doc != nullptr && !doc->isUntitled())
    RememberRecent(QString::fromWCharArray(doc->fileName()));
  UpdateTitle();
  UpdateEditMenu();
  // The command line takes the keys again, unless the user is typing into a palette.
  if (isActiveWindow() && !InsideDock(QApplication::focusWidget())) commandLine_->FocusInput();
}

// Undo and Redo name the command they would take back or do again.
void MainWindow::UpdateEditMenu() {
  AcApDocument* doc = curDoc();
  const std::wstring undo = doc != nullptr ? NextUndoName(*doc->database()) : std::wstring();
  const std::wstring redo = doc != nullptr ? NextRedoName(*doc->database()) : std::wstring();
  undoAction_->setText(QStringLiteral("&Undo %1").arg(QString::fromStdWString(undo)).trimmed());
  redoAction_->setText(QStringLiteral("&Redo %1").arg(QString::fromStdWString(redo)).trimmed());
  undoAction_->setEnabled(!undo.empty());
  redoAction_->setEnabled(!redo.empty());
}

void MainWindow::UpdateTitle() {
  AcApDocument* doc = curDoc();
  if (doc == nullptr) {
    setWindowTitle(QStringLiteral("Pelvar"));
    return;
  }
  setWindowTitle(QString::fromWCharArray(doc->docTitle()) + QStringLiteral("[*] - Pelvar"));
  setWindowModified(doc->database()->isModified());
}

// Asks about every drawing with unsaved changes: save it, drop the changes, or stay.
bool MainWindow::MayQuit() {
  AcApDocManager* docs = acDocManagerPtr();
  for (int i = 0; i < docs->documentCount(); ++i) {
    AcApDocument* doc = docs->documentAt(i);
    if (!doc->database()->isModified()) continue;
    auto answer = QMessageBox::question(
        this, QStringLiteral("Pelvar"),
        QStringLiteral("Save changes to %1 before quitting?").arg(QString::fromWCharArray(doc->docTitle())),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Save && !SaveDocument(this, doc)) return false;
  }
  return true;
}

// The window stays until the command loop has ended and the modules are unloaded.
void MainWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (!closing_ && MayQuit()) closing_ = true;
}

}  // namespace pelvarhost
