// Internal to the host's terminal input: the terminal between prompts. While a command
// works the terminal delivers keys at once and without echo, so that the break test can
// look at them without waiting: Esc and Ctrl+C are breaks, every other key is kept for the
// line editor of the next prompt.
#pragma once
#include <termios.h>

#include <string>

namespace pelvarhost::detail {

class TerminalKeys {
 public:
  // Takes over the terminal on fd (a no-op when fd is not a terminal) until destroyed.
  explicit TerminalKeys(int fd);
  ~TerminalKeys();
  TerminalKeys(const TerminalKeys&) = delete;
  TerminalKeys& operator=(const TerminalKeys&) = delete;

  // Around the line editor, right where it sets the terminal up and back: it starts from
  // the terminal's usual settings, and afterwards keys come at once again.
  void BeginLine();
  void EndLine();

  // Reads the keys that have arrived, without waiting; true when an Esc (not the start of
  // a key's escape sequence) or a Ctrl+C is among them. Both are taken, the rest is kept.
  bool TakeBreakKey();
  // The next kept key, or -1.
  int TakeKeptKey();
  bool HasKeptKeys() const { return !kept_.empty(); }

 private:
  void ReadAvailable(int timeoutMs);

  int fd_;
  bool isTerminal_ = false;
  termios usual_{};
  std::string kept_;
};

}  // namespace pelvarhost::detail
