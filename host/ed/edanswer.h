// Internal to the host's command line: reading one answer for a prompt.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adsdef.h"
#include "hostinput.h"

namespace pelvarhost::detail {

struct Answer {
  bool cancelled = false;  // Esc, end of input, or a nested command out of answers
  std::wstring text;       // trimmed
};

// How far one answer taken from typed-ahead text reaches.
enum class AnswerEnd { SpaceOrLine, Line };

// Prints the prompt and reads one answer: from the answers of a running acedCommandS
// (silently), else from typed-ahead text, else from the input sources. Answers are echoed
// after the prompt where the source asks for it.
Answer ReadAnswer(std::wstring_view prompt, AnswerEnd end);
// Reads the command at the command prompt: the first word of a line; the rest of the line
// is kept as typed-ahead answers.
Answer ReadCommandName(std::wstring_view prompt);
// Re-asks after a refused answer: prints the message, then the prompt on a new line.
void Refuse(std::wstring_view message);

// The break test behind acedUsrBrk: a pending request, or a break mark that is the
// next line of a source (taken).
bool TakeBreak();

// The answers of an acedCommandS call, consumed in order by nested prompts.
class CommandAnswers {
 public:
  explicit CommandAnswers(std::vector<std::wstring> answers);
  ~CommandAnswers();
  CommandAnswers(const CommandAnswers&) = delete;
  CommandAnswers& operator=(const CommandAnswers&) = delete;
  bool Empty() const { return next_ >= answers_.size(); }
  std::wstring Take() { return answers_[next_++]; }
  // True when a prompt asked for more answers than there were.
  bool starved = false;

 private:
  std::vector<std::wstring> answers_;
  size_t next_ = 0;
};

// Marks the end of an answer line on the command line (echoing it when asked).
void EndAnswerLine(std::wstring_view echo, bool echoIt);

// The point of the last point answer ("@" refers to it).
const double* LastPoint();
void SetLastPoint(const ads_point point);

// The file prompt asking while it lives (Tab completes relative to its folder).
class FilePromptScope {
 public:
  explicit FilePromptScope(FileRequest request);
  ~FilePromptScope();
  FilePromptScope(const FilePromptScope&) = delete;
  FilePromptScope& operator=(const FilePromptScope&) = delete;
};
// The file prompt asking now, or null.
const FileRequest* CurrentFileRequest();
// Answers a prompt from the file chooser, when one is installed and the user is the one to
// answer: prints the prompt, shows the dialog and echoes the choice (or "*Cancel*").
// nullopt when the prompt is to be answered as typed text.
std::optional<Answer> AnswerFromFileChooser(std::wstring_view prompt, const FileRequest& request);

std::wstring Trim(std::wstring_view text);
std::wstring ToUpper(std::wstring_view text);

}  // namespace pelvarhost::detail
