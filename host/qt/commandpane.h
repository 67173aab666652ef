// The command line of the program's window: the history of the output above, the current
// output line (the prompt) and the input field below. Enter sends the typed line, Esc sends
// a cancel, as at the console.
#pragma once
#include <QWidget>
#include <functional>
#include <string_view>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace pelvarhost {

class CommandPane : public QWidget {
 public:
  explicit CommandPane(std::function<void(const QString& line)> lineEntered, QWidget* parent = nullptr);

  // Output of the command line, as UTF-8: "\n" ends a line, "\r" starts the line again.
  void AppendOutput(std::string_view utf8);
  QString TypedText() const;
  void ClearTypedText();
  void FocusInput();
  QString History() const;
  QString PromptText() const { return current_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Send(const QString& line);
  void CompleteWord();

  std::function<void(const QString&)> lineEntered_;
  QPlainTextEdit* history_;
  QLabel* prompt_;
  QLineEdit* input_;
  QString current_;
  QStringList typedLines_;
  int recall_ = 0;
};

}  // namespace pelvarhost
