#include "edterminalkeys.h"

#include <poll.h>
#include <unistd.h>

namespace pelvarhost::detail {
namespace {

constexpr char kEsc = '\x1b';
constexpr char kCtrlC = '\x03';
// The keys of a terminal's escape sequences follow their Esc at once; a lone Esc waits
// this long for them before it counts as the Esc key.
constexpr int kEscSequenceWaitMs = 30;

bool StartsSequence(char next) { return next == '[' || next == 'O'; }

// The end of the escape sequence that starts at `at` (an Esc followed by '[' or 'O'):
// the first letter or '~' after the introducer.
size_t SequenceEnd(const std::string& keys, size_t at) {
  size_t i = at + 2;
  while (i < keys.size() && !(keys[i] == '~' || (keys[i] >= 'A' && keys[i] <= 'Z') || (keys[i] >= 'a' && keys[i] <= 'z')))
    ++i;
  return i < keys.size() ? i + 1 : keys.size();
}

}  // namespace

TerminalKeys::TerminalKeys(int fd) : fd_(fd) {
  isTerminal_ = ::isatty(fd_) && ::tcgetattr(fd_, &usual_) == 0;
  EndLine();
}

TerminalKeys::~TerminalKeys() { BeginLine(); }

void TerminalKeys::BeginLine() {
  if (isTerminal_) ::tcsetattr(fd_, TCSANOW, &usual_);
}

void TerminalKeys::EndLine() {
  if (!isTerminal_) return;
  termios working = usual_;
  // Keys at once and unechoed; Ctrl+C still raises its signal.
  working.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  working.c_cc[VMIN] = 1;
  working.c_cc[VTIME] = 0;
  ::tcsetattr(fd_, TCSANOW, &working);
}


void TerminalKeys::ReadAvailable(int timeoutMs) {
  while (true) {
    pollfd pfd{fd_, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) <= 0 || (pfd.revents & POLLIN) == 0) return;
    char chunk[256];
    ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n <= 0) return;
    kept_.append(chunk, static_cast<size_t>(n));
    timeoutMs = 0;
  }
}

bool TerminalKeys::TakeBreakKey() {
  if (!isTerminal_) return false;
  ReadAvailable(0);
  if (!kept_.empty() && kept_.back() == kEsc) ReadAvailable(kEscSequenceWaitMs);
  for (size_t i = 0; i < kept_.size(); ++i) {
    if (kept_[i] == kCtrlC) {
      kept_.erase(i, 1);
      return true;
    }
    if (kept_[i] != kEsc) continue;
    if (i + 1 < kept_.size() && StartsSequence(kept_[i + 1])) {
      i = SequenceEnd(kept_, i) - 1;  // a key's sequence stays for the line editor
      continue;
    }
    kept_.erase(i, 1);
    return true;
  }
  return false;
}

int TerminalKeys::TakeKeptKey() {
  if (kept_.empty()) return -1;
  auto key = static_cast<unsigned char>(kept_.front());
  kept_.erase(0, 1);
  return key;
}

}  // namespace pelvarhost::detail
