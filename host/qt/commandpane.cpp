#include "commandpane.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "hostcmdline.h"
#include "hostinput.h"

namespace pelvarhost {
namespace {

constexpr int kHistoryLines = 5000;
constexpr char kCancelLine[] = "^C";

}  // namespace

CommandPane::CommandPane(std::function<void(const QString&)> lineEntered, QWidget* parent)
    : QWidget(parent), lineEntered_(std::move(lineEntered)) {
  setObjectName("commandLine");
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  history_ = new QPlainTextEdit(this);
  history_->setObjectName("commandHistory");
  history_->setReadOnly(true);
  history_->setMaximumBlockCount(kHistoryLines);
  history_->setFont(fixed);
  history_->setFocusPolicy(Qt::NoFocus);
  prompt_ = new QLabel(this);
  prompt_->setObjectName("commandPrompt");
  prompt_->setFont(fixed);
  input_ = new QLineEdit(this);
  input_->setObjectName("commandInput");
  input_->setFont(fixed);
  input_->setFrame(false);
  input_->installEventFilter(this);
  connect(input_, &QLineEdit::returnPressed, this, [this] { Send(input_->text()); });

  auto* row = new QHBoxLayout;
  row->setContentsMargins(4, 0, 4, 2);
  row->setSpacing(0);
  row->addWidget(prompt_);
  row->addWidget(input_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(history_, 1);
  layout->addLayout(row);
}

void CommandPane::AppendOutput(std::string_view utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (QChar c : text) {
    if (c == QLatin1Char('\n')) {
      history_->appendPlainText(current_);
      current_.clear();
    } else if (c == QLatin1Char('\r')) {
      current_.clear();
    } else {
      current_ += c;
    }
  }
  prompt_->setText(current_);
}

QString CommandPane::TypedText() const { return input_->text(); }
void CommandPane::ClearTypedText() { input_->clear(); }
void CommandPane::FocusInput() { input_->setFocus(); }

QString CommandPane::History() const {
  QString all = history_->toPlainText();
  return current_.isEmpty() ? all : all + QLatin1Char('\n') + current_;
}

void CommandPane::Send(const QString& line) {
  input_->clear();
  if (!line.isEmpty() && line != QLatin1String(kCancelLine)) {
    typedLines_.removeAll(line);
    typedLines_.append(line);
  }
  recall_ = static_cast<int>(typedLines_.size());
  lineEntered_(line);
}

// Tab completes the word before the cursor as the terminal does; the text after the cursor
// stays where it is.
void CommandPane::CompleteWord() {
  QString text = input_->text();
  int cursor = input_->cursorPosition();
  int start = static_cast<int>(text.lastIndexOf(QLatin1Char(' '), cursor - 1)) + 1;
  bool commandName = start == 0 && ActiveCommandName().empty();
  std::wstring word = text.mid(start, cursor - start).toStdWString();
  std::vector<std::wstring> matches = CompletionsFor(word, commandName);
  QString completed = QString::fromStdWString(matches.size() == 1 ? matches.front() : CommonStart(matches));
  if (completed.size() <= static_cast<qsizetype>(word.size())) return;
  input_->setText(text.left(start) + completed + text.mid(cursor));
  input_->setCursorPosition(start + static_cast<int>(completed.size()));
}

// Esc cancels; the arrow keys recall earlier lines; Tab completes.
bool CommandPane::eventFilter(QObject* watched, QEvent* event) {
  // With nothing typed, Ctrl+Z and Ctrl+Y are the window's Undo and Redo, not the line's.
  if (watched == input_ && event->type() == QEvent::ShortcutOverride && input_->text().isEmpty()) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo) || key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y)) return true;
  }
  if (watched != input_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
    if (key->key() == Qt::Key_Tab) CompleteWord();
    return true;
  }
  if (key->key() == Qt::Key_Escape) {
    Send(QLatin1String(kCancelLine));
    return true;
  }
  if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !typedLines_.isEmpty()) {
    recall_ += key->key() == Qt::Key_Up ? -1 : 1;
    recall_ = std::clamp(recall_, 0, static_cast<int>(typedLines_.size()));
    input_->setText(recall_ < typedLines_.size() ? typedLines_[recall_] : QString());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pelvarhost
