// Where answers to the host's prompts come from. One language for every source: one
// line is one answer to the current prompt, or one command at the command prompt (its
// first word is the command; further words answer the command's first prompts).
//   (empty line)  Enter
//   ^C            Esc (cancels the prompt; "*Cancel*" is shown)
//   ^BREAK        not an answer: the next acedUsrBrk poll reports a break
//   x,y[,z]       a point in world coordinates; @dx,dy[,dz] relative to the base/last point
//   nea 10,20     an object-snap mode before a point (see hostgraphics.h)
// End of input inside a prompt behaves as Esc.
#pragma once
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pelvarhost {

class InputSource {
 public:
  virtual ~InputSource() = default;
  // The next line without its line end; nullopt at the end of this source. promptLine is
  // the text of the current output line (a terminal's line editor redraws it).
  virtual std::optional<std::wstring> ReadLine(const std::wstring& promptLine) = 0;
  // The next line if it is available now, without taking it; a source that would have to
  // wait (a terminal) returns nullopt.
  virtual std::optional<std::wstring> PeekLine() { return std::nullopt; }
  // True once every line has been taken, so that the sources after it can be looked at.
  virtual bool Exhausted() const { return false; }
  // True when answers must be echoed into the output after their prompts (scripts,
  // pipes); a terminal has shown them already.
  virtual bool EchoesAnswers() const { return true; }
};

// Lines of a text (a script held in memory, -c lines).
std::unique_ptr<InputSource> MakeTextInput(std::wstring_view text);
// Lines read from a file descriptor as they arrive (a script file, a pipe). The descriptor
// is closed with the source when owned.
std::unique_ptr<InputSource> MakeDescriptorInput(int fd, bool owned);
// The interactive terminal on standard input, with line editing and history where the
// host was built with readline. Ctrl+C cancels the prompt, or is a break during work.
std::unique_ptr<InputSource> MakeTerminalInput();

// Appends a source: it is read when the ones before it have ended.
void AddInputSource(std::unique_ptr<InputSource> source);
// Drops every source, the typed-ahead text and a pending break.
void ResetInput();
// True once every source has ended.
bool InputEnded();
// Text that runs at the next command prompt as if typed; "\n" or " " ends each answer
// (only "\n" for prompts that allow spaces).
void QueueTypedText(std::wstring_view text);
// Moves the queued text into the typed-ahead answers and takes its first answer, for an
// input source that waits at the command prompt when text is queued (the program's
// window); nullopt when nothing is queued.
std::optional<std::wstring> TakeQueuedCommand();
// The text queued for the next command prompt and not yet taken.
std::wstring QueuedTyping();
// True when an answer is waiting for the next prompt (words typed after a command name,
// typed-ahead text, or answers of a running acedCommandS): an optional prompt reads it.
bool AnswerWaiting();
// A break request, as Ctrl+C during work: the next acedUsrBrk poll reports it.
void RequestBreak();

}  // namespace pelvarhost
