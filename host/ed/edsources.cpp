// The input sources: text, file descriptors and the interactive terminal.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aced.h"
#include "edanswer.h"
#include "edterminalkeys.h"
#include "hostcmdline.h"
#include "hostinput.h"
#include "wcrt.h"
#include "wideutf8.h"

#ifdef PELVAR_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace pelvarhost {
namespace {

std::wstring StripLineEnd(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Utf8ToWide(line);
}

class TextInput : public InputSource {
 public:
  explicit TextInput(std::wstring_view text) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(L'\n', start);
      if (end == std::wstring_view::npos) end = text.size();
      std::wstring line(text.substr(start, end - start));
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      lines_.push_back(line);
      start = end + 1;
    }
  }
  std::optional<std::wstring> ReadLine(const std::wstring&) override {
    if (next_ >= lines_.size()) return std::nullopt;
    return lines_[next_++];
  }
  std::optional<std::wstring> PeekLine() override {
    if (next_ >= lines_.size()) return std::nullopt;
    return lines_[next_];
  }
  bool Exhausted() const override { return next_ >= lines_.size(); }

 private:
  std::vector<std::wstring> lines_;
  size_t next_ = 0;
};

// Reads lines from a descriptor, buffering what has arrived so that a peek never waits.
class DescriptorInput : public InputSource {
 public:
  DescriptorInput(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~DescriptorInput() override {
    if (owned_) ::close(fd_);
  }
  std::optional<std::wstring> ReadLine(const std::wstring&) override {
    while (true) {
      if (auto line = TakeLine()) return line;
      if (eof_) return TakeRest();
      Fill(-1);
    }
  }
  std::optional<std::wstring> PeekLine() override {
    if (buffer_.find('\n') == std::string::npos && !eof_) Fill(0);
    size_t end = buffer_.find('\n');
    if (end == std::string::npos) return eof_ && !buffer_.empty() ? std::optional(StripLineEnd(buffer_)) : std::nullopt;
    return StripLineEnd(buffer_.substr(0, end));
  }
  bool Exhausted() const override { return eof_ && buffer_.empty(); }

 private:
  std::optional<std::wstring> TakeLine() {
    size_t end = buffer_.find('\n');
    if (end == std::string::npos) return std::nullopt;
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    return StripLineEnd(line);
  }
  std::optional<std::wstring> TakeRest() {
    if (buffer_.empty()) return std::nullopt;
    std::string line;
    line.swap(buffer_);
    return StripLineEnd(line);
  }
  // Reads what is available; timeoutMs -1 waits for data or the end.
  void Fill(int timeoutMs) {
    pollfd pfd{fd_, POLLIN, 0};
    int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready == 0) return;
    if (ready < 0 && errno == EINTR) return;
    char chunk[4096];
    ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      eof_ = true;
    }
  }

  int fd_;
  bool owned_;
  bool eof_ = false;
  std::string buffer_;
};

volatile std::sig_atomic_t interruptedWhileReading = 0;

void OnInterrupt(int) {
  interruptedWhileReading = 1;
  RequestBreak();
}

void InstallInterruptHandler() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a read in progress returns with EINTR
  sigaction(SIGINT, &action, nullptr);
}

#ifdef PELVAR_HAVE_READLINE
// Esc typed while a line is edited: the line is cancelled, as Ctrl+C cancels it.
bool cancelledByEsc = false;

int CancelLineByEsc(int, int) {
  cancelledByEsc = true;
  // The typed text goes and the line ends, as Ctrl+C leaves it: "*Cancel*" comes below.
  rl_delete_text(0, rl_end);
  rl_point = 0;
  rl_redisplay();
  rl_crlf();
  rl_done = 1;
  return 0;
}

// Arrow, Home, End and Delete keys send Esc sequences starting "Esc [" or "Esc O"; readline
// tells them from a lone Esc by the keys that follow at once.
constexpr char kEscSequenceTimeoutMs[] = "100";

// Esc cancels the line. Readline would take it as the start of a Meta key (Esc P begins a
// history search), so the Meta bindings go, except the two prefixes of the terminal's own
// key sequences, and a lone Esc (or Esc before any other key) runs the cancel.
void BindEscToCancel() {
  Keymap meta = rl_get_keymap_by_name("emacs-meta");
  if (meta != nullptr) {
    for (int key = 0; key < KEYMAP_SIZE; ++key) {
      if (key == '[' || key == 'O') continue;
      meta[key].type = ISFUNC;
      meta[key].function = nullptr;
    }
  }
  rl_bind_keyseq("\033", CancelLineByEsc);
  rl_variable_bind("keyseq-timeout", kEscSequenceTimeoutMs);
}

// Tab completes command names as the first word at the command prompt, file names
// elsewhere (relative to the folder a file prompt shows; see CompletionsFor).
std::vector<std::string> completionMatches;

char* NextCompletion(const char*, int state) {
  static size_t next = 0;
  if (state == 0) next = 0;
  return next < completionMatches.size() ? strdup(completionMatches[next++].c_str()) : nullptr;
}

char** Complete(const char* text, int start, int) {
  bool commandName = start == 0 && ActiveCommandName().empty();
  completionMatches.clear();
  for (const std::wstring& match : CompletionsFor(Utf8ToWide(text), commandName))
    completionMatches.push_back(WideToUtf8(match));
  rl_attempted_completion_over = 1;
  rl_sort_completion_matches = 0;  // the prompt's own files first, as listed
  bool folder = completionMatches.size() == 1 && completionMatches.front().back() == '/';
  rl_completion_append_character = commandName ? ' ' : '\0';
  if (folder) rl_completion_suppress_append = 1;
  return rl_completion_matches(text, NextCompletion);
}

// The terminal's keys while no line is edited; set while the terminal source lives.
detail::TerminalKeys* terminalKeys = nullptr;

// Ctrl+C while a line is typed: readline accepts the line, which is then taken as Esc.
// Keys typed while a command worked come first.
int InterruptibleGetc(FILE* stream) {
  if (terminalKeys != nullptr && terminalKeys->HasKeptKeys()) return terminalKeys->TakeKeptKey();
  while (true) {
    unsigned char c;
    ssize_t n = ::read(fileno(stream), &c, 1);
    if (n == 1) return c;
    if (n == 0) return EOF;
    if (errno != EINTR) return EOF;
    if (interruptedWhileReading) return '\n';
  }
}

// Readline asks whether a key follows an Esc at once: kept keys have arrived already.
int InputAvailable() {
  if (terminalKeys != nullptr && terminalKeys->HasKeptKeys()) return 1;
  pollfd pfd{STDIN_FILENO, POLLIN, 0};
  return ::poll(&pfd, 1, 0) > 0 ? 1 : 0;
}

// Readline sets the terminal up from its usual settings (it echoes only when they do) and
// puts them back after the line; in between lines the keys come at once, unechoed.
void PrepareTerminal(int meta) {
  if (terminalKeys != nullptr) terminalKeys->BeginLine();
  rl_prep_terminal(meta);
}

void RestoreTerminal() {
  rl_deprep_terminal();
  if (terminalKeys != nullptr) terminalKeys->EndLine();
}

// Function keys, Insert and the page keys edit nothing: their sequences are bound to a
// key that does nothing, so that no part of them is typed into the line.
int IgnoreKey(int, int) { return 0; }

void BindFunctionKeysToNothing() {
  static const char* const kSequences[] = {
      "\033OP",   "\033OQ",   "\033OR",   "\033OS",   "\033[11~", "\033[12~", "\033[13~", "\033[14~",
      "\033[15~", "\033[17~", "\033[18~", "\033[19~", "\033[20~", "\033[21~", "\033[23~", "\033[24~",
      "\033[[A",  "\033[[B",  "\033[[C",  "\033[[D",  "\033[[E",  "\033[2~",  "\033[5~",  "\033[6~",
      "\033[1;2P", "\033[1;2Q", "\033[1;2R", "\033[1;2S", "\033[1;5P", "\033[1;5Q", "\033[1;5R", "\033[1;5S"};
  for (const char* sequence : kSequences) rl_bind_keyseq(sequence, IgnoreKey);
}

class TerminalInput : public InputSource {
 public:
  TerminalInput() : keys_(STDIN_FILENO) {
    InstallInterruptHandler();
    rl_catch_signals = 0;
    rl_getc_function = InterruptibleGetc;
    rl_input_available_hook = InputAvailable;
    rl_prep_term_function = PrepareTerminal;
    rl_deprep_term_function = RestoreTerminal;
    rl_attempted_completion_function = Complete;
    BindEscToCancel();
    BindFunctionKeysToNothing();
    terminalKeys = &keys_;
  }
  ~TerminalInput() override { terminalKeys = nullptr; }
  std::optional<std::wstring> ReadLine(const std::wstring& promptLine) override {
    interruptedWhileReading = 0;
    cancelledByEsc = false;
    std::string prompt = WideToUtf8(promptLine);
    rl_already_prompted = 1;  // the host has printed the prompt itself
    char* raw = readline(prompt.c_str());
    if (raw == nullptr) return std::nullopt;
    std::string line(raw);
    std::free(raw);
    if (interruptedWhileReading) {
      interruptedWhileReading = 0;
      TakeBreakOfCancel();
      return std::wstring(L"^C");
    }
    if (cancelledByEsc) return std::wstring(L"^C");
    if (!line.empty()) add_history(line.c_str());
    return Utf8ToWide(line);
  }
  bool EchoesAnswers() const override { return false; }
  bool TakeBreakKey() override { return keys_.TakeBreakKey(); }

 private:
  // The Ctrl+C that cancelled the line is not also a break for later work.
  static void TakeBreakOfCancel();

  detail::TerminalKeys keys_;
};
#else
class TerminalInput : public DescriptorInput {
 public:
  TerminalInput() : DescriptorInput(STDIN_FILENO, false) { InstallInterruptHandler(); }
  bool EchoesAnswers() const override { return false; }
};
#endif

}  // namespace

namespace detail {
bool TakeBreak();
}

#ifdef PELVAR_HAVE_READLINE
void TerminalInput::TakeBreakOfCancel() { detail::TakeBreak(); }
#endif

std::unique_ptr<InputSource> MakeTextInput(std::wstring_view text) { return std::make_unique<TextInput>(text); }

std::unique_ptr<InputSource> MakeDescriptorInput(int fd, bool owned) {
  return std::make_unique<DescriptorInput>(fd, owned);
}

std::unique_ptr<InputSource> MakeTerminalInput() { return std::make_unique<TerminalInput>(); }

}  // namespace pelvarhost
