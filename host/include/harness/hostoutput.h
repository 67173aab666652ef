// Where the command line's output goes, for the program and for tests.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace pelvarhost {

// Receives command-line output as UTF-8. The default writes to standard output.
using OutputSink = std::function<void(std::string_view utf8)>;
// Installs a sink (null restores standard output) and returns the previous one.
OutputSink SetOutputSink(OutputSink sink);

// Writes text to the command line, as acutPrintf does after formatting.
void WriteCommandLine(std::wstring_view text);
// The text of the current (unfinished) output line.
std::wstring CurrentOutputLine();
// Ends the current output line when it holds text (at program exit).
void FinishOutputLine();
// Writes a diagnostic line to standard error after ending the command line's current line,
// so that the two never share a line on a terminal.
void WriteDiagnosticLine(const std::string& utf8Line);

// Collects everything written to the command line while it lives (tests).
class OutputCapture {
 public:
  OutputCapture();
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
  OutputSink previous_;
};

}  // namespace pelvarhost
