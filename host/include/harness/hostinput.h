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
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
  // A look, without waiting, for a break the user typed while a command works (Esc or
  // Ctrl+C at a terminal); other keys typed meanwhile are kept for the next prompt.
  virtual bool TakeBreakKey() { return false; }
  // True when a file prompt answered from this source may show a file dialog.
  virtual bool ShowsFileDialogs() const { return false; }
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
// Runs at every break test while a command works, before the test looks for a request:
// the window lets its events run there (an Esc among them requests a break). Null removes it.
void SetBreakWatcher(std::function<void()> watcher);
// Host work that runs long without break tests (a large triangulation) calls this now and
// then: the window runs its events as at a break test (it paints the output, follows
// resizing, shows that it is busy and hears Esc, which the next break test reports).
void LetWindowRunDuringWork();
// True when the next answer would be typed by the user into a source that shows file
// dialogs (the window), not taken from typed-ahead text, a script or -c lines.
bool NextAnswerMayUseFileDialog();

// What a file prompt asks for: a title, the folder it starts in (or a default file), the
// extension without its dot, and whether the file may be a new one.
struct FileRequest {
  std::wstring title;
  std::wstring start;
  std::wstring extension;
  bool mayBeNew = false;
};
// Shows a file dialog for a file prompt the user answers (see NextAnswerMayUseFileDialog):
// the chosen path, or nullopt when the dialog was cancelled. Null removes it.
using FileChooser = std::function<std::optional<std::wstring>(const FileRequest& request)>;
void SetFileChooser(FileChooser chooser);

// What Tab offers for the word before the cursor: command names at the command prompt;
// elsewhere file names, relative to the folder of the file prompt asking now (else the
// current folder), those with the prompt's extension first. Folders end with "/".
std::vector<std::wstring> CompletionsFor(std::wstring_view word, bool commandPrompt);
// The longest text every completion starts with.
std::wstring CommonStart(const std::vector<std::wstring>& completions);

}  // namespace pelvarhost
