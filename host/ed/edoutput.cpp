// Command-line output: acutPrintf and the sink behind it.
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "acutads.h"
#include "edanswer.h"
#include "hostoutput.h"
#include "wcrt.h"
#include "wideformat.h"
#include "wideutf8.h"

namespace pelvarhost {
namespace {

struct OutputState {
  std::recursive_mutex mutex;
  OutputSink sink;
  std::wstring currentLine;
  // After an answer the line has ended already: a leading "\n" of the next output
  // would only add an empty line.
  bool lineEndedByAnswer = true;  // nothing printed yet: no empty first line
};

OutputState& State() {
  static OutputState state;
  return state;
}

void Emit(OutputState& state, std::wstring_view text) {
  if (text.empty()) return;
  std::string utf8 = WideToUtf8(text);
  if (state.sink) {
    state.sink(utf8);
  } else {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
  }
}

}  // namespace

OutputSink SetOutputSink(OutputSink sink) {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  OutputSink previous = std::move(state.sink);
  state.sink = std::move(sink);
  return previous;
}

void WriteCommandLine(std::wstring_view text) {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  if (text.empty()) return;
  if (state.lineEndedByAnswer && text.front() == L'\n') text.remove_prefix(1);
  state.lineEndedByAnswer = false;
  for (wchar_t c : text) {
    if (c == L'\n' || c == L'\r') {
      state.currentLine.clear();
    } else {
      state.currentLine.push_back(c);
    }
  }
  Emit(state, text);
}

std::wstring CurrentOutputLine() {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  return state.currentLine;
}

void FinishOutputLine() {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  if (!state.currentLine.empty()) {
    state.currentLine.clear();
    Emit(state, L"\n");
  }
  state.lineEndedByAnswer = true;
}

void WriteDiagnosticLine(const std::string& utf8Line) {
  FinishOutputLine();
  std::fwrite(utf8Line.data(), 1, utf8Line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

namespace detail {
void EndAnswerLine(std::wstring_view echo, bool echoIt) {
  OutputState& state = State();
  std::lock_guard lock(state.mutex);
  if (echoIt) Emit(state, std::wstring(echo) + L"\n");
  state.currentLine.clear();
  state.lineEndedByAnswer = true;
}
}  // namespace detail

OutputCapture::OutputCapture() {
  previous_ = SetOutputSink([this](std::string_view utf8) { text_.append(utf8); });
}

OutputCapture::~OutputCapture() { SetOutputSink(std::move(previous_)); }

}  // namespace pelvarhost

int acutPrintf(const ACHAR* format, ...) {
  if (format == nullptr) return 0;
  va_list args;
  va_start(args, format);
  std::wstring text = pelvarhost::FormatWideV(format, args);
  va_end(args);
  pelvarhost::WriteCommandLine(text);
  return static_cast<int>(text.size());
}
