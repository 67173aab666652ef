// Answers to prompts: the input sources, typed-ahead text and acedCommandS answers.
#include <csignal>
#include <cwctype>
#include <deque>
#include <functional>
#include <mutex>

#include "edanswer.h"
#include "hostinput.h"
#include "hostoutput.h"

namespace pelvarhost {
namespace {

constexpr wchar_t kCancelLine[] = L"^C";
constexpr wchar_t kBreakLine[] = L"^BREAK";
constexpr wchar_t kCancelEcho[] = L"*Cancel*";

volatile std::sig_atomic_t breakRequested = 0;

struct InputState {
  std::deque<std::unique_ptr<InputSource>> sources;
  std::wstring typedAhead;    // answers typed before their prompts, as a user types ahead
  std::wstring queuedTyping;  // text queued for the next command prompt
  std::vector<detail::CommandAnswers*> commandAnswers;  // innermost last
  bool ended = false;
  double lastPoint[3] = {0, 0, 0};
  std::function<void()> breakWatcher;
};

InputState& State() {
  static InputState state;
  return state;
}

// One answer from typed-ahead text; each answer takes its terminator.
std::wstring TakeTypedAhead(std::wstring& text, detail::AnswerEnd end) {
  size_t stop = end == detail::AnswerEnd::Line ? text.find(L'\n') : text.find_first_of(L" \n");
  std::wstring answer = text.substr(0, stop);
  text.erase(0, stop == std::wstring::npos ? text.size() : stop + 1);
  return answer;
}

struct SourceLine {
  bool ended = false;
  bool echo = true;
  std::wstring text;
};

// The next answer line of the sources, skipping break marks (they arm the next poll).
SourceLine ReadSourceLine() {
  InputState& state = State();
  while (!state.sources.empty()) {
    InputSource& source = *state.sources.front();
    std::optional<std::wstring> line = source.ReadLine(CurrentOutputLine());
    if (!line) {
      state.sources.pop_front();
      continue;
    }
    if (detail::Trim(*line) == kBreakLine) {
      breakRequested = 1;
      continue;
    }
    return SourceLine{false, source.EchoesAnswers(), *line};
  }
  state.ended = true;
  return SourceLine{true, true, {}};
}

detail::Answer FromSource(std::wstring_view prompt, bool firstWordOnly) {
  InputState& state = State();
  SourceLine line = ReadSourceLine();
  std::wstring text = detail::Trim(line.text);
  if (line.ended && firstWordOnly) {
    // The input ended at the command prompt: nothing to cancel.
    return detail::Answer{true, {}};
  }
  if (line.ended || text == kCancelLine) {
    detail::EndAnswerLine(kCancelEcho, true);
    return detail::Answer{true, {}};
  }
  if (firstWordOnly) {
    size_t space = text.find_first_of(L" \t");
    if (space != std::wstring::npos) {
      // The further words answer the command's first prompts, one word each.
      std::wstring rest, word;
      for (size_t i = space; i <= text.size(); ++i) {
        if (i == text.size() || std::iswspace(text[i])) {
          if (!word.empty()) rest += word + L"\n";
          word.clear();
        } else {
          word.push_back(text[i]);
        }
      }
      state.typedAhead.insert(0, rest);
      text.resize(space);
    }
  }
  detail::EndAnswerLine(text, line.echo);
  return detail::Answer{false, text};
}

detail::Answer Read(std::wstring_view prompt, detail::AnswerEnd end, bool commandPrompt) {
  InputState& state = State();
  if (!state.commandAnswers.empty()) {
    detail::CommandAnswers& answers = *state.commandAnswers.back();
    if (answers.Empty()) {
      answers.starved = true;
      return detail::Answer{true, {}};
    }
    return detail::Answer{false, detail::Trim(answers.Take())};
  }
  if (commandPrompt && !state.queuedTyping.empty()) {
    state.typedAhead += state.queuedTyping;
    state.queuedTyping.clear();
  }
  WriteCommandLine(prompt);
  if (!state.typedAhead.empty()) {
    std::wstring text = detail::Trim(TakeTypedAhead(state.typedAhead, end));
    if (text == kCancelLine) {
      detail::EndAnswerLine(kCancelEcho, true);
      return detail::Answer{true, {}};
    }
    detail::EndAnswerLine(text, true);
    return detail::Answer{false, text};
  }
  return FromSource(prompt, commandPrompt);
}

}  // namespace

void AddInputSource(std::unique_ptr<InputSource> source) {
  State().sources.push_back(std::move(source));
  State().ended = false;
}

void ResetInput() {
  InputState& state = State();
  state.sources.clear();
  state.typedAhead.clear();
  state.queuedTyping.clear();
  state.ended = false;
  breakRequested = 0;
}

bool InputEnded() { return State().ended; }

void QueueTypedText(std::wstring_view text) { State().queuedTyping += text; }

std::optional<std::wstring> TakeQueuedCommand() {
  InputState& state = State();
  if (state.queuedTyping.empty()) return std::nullopt;
  state.typedAhead += state.queuedTyping;
  state.queuedTyping.clear();
  return TakeTypedAhead(state.typedAhead, detail::AnswerEnd::SpaceOrLine);
}

std::wstring QueuedTyping() { return State().queuedTyping; }

void RequestBreak() { breakRequested = 1; }

bool AnswerWaiting() {
  const InputState& state = State();
  if (!state.commandAnswers.empty()) return !state.commandAnswers.back()->Empty();
  return !state.typedAhead.empty();
}

void SetBreakWatcher(std::function<void()> watcher) { State().breakWatcher = std::move(watcher); }

void LetWindowRunDuringWork() {
  if (State().breakWatcher) State().breakWatcher();
}

bool NextAnswerMayUseFileDialog() {
  InputState& state = State();
  if (!state.typedAhead.empty() || !state.commandAnswers.empty()) return false;
  for (const auto& source : state.sources) {
    if (source->PeekLine()) return false;
    if (!source->Exhausted()) return source->ShowsFileDialogs();
  }
  return false;
}

namespace detail {

Answer ReadAnswer(std::wstring_view prompt, AnswerEnd end) { return Read(prompt, end, false); }

Answer ReadCommandName(std::wstring_view prompt) { return Read(prompt, AnswerEnd::SpaceOrLine, true); }

void Refuse(std::wstring_view message) {
  if (!State().commandAnswers.empty()) {
    WriteCommandLine(message);
    return;
  }
  WriteCommandLine(message);
  // The message ends its line, so the prompt asked again starts on the next one whether
  // or not it begins with a line break.
  FinishOutputLine();
}

CommandAnswers::CommandAnswers(std::vector<std::wstring> answers) : answers_(std::move(answers)) {
  State().commandAnswers.push_back(this);
}

CommandAnswers::~CommandAnswers() { State().commandAnswers.pop_back(); }

const double* LastPoint() { return State().lastPoint; }

void SetLastPoint(const ads_point point) {
  for (int i = 0; i < 3; ++i) State().lastPoint[i] = point[i];
}

std::wstring Trim(std::wstring_view text) {
  size_t b = 0, e = text.size();
  while (b < e && std::iswspace(text[b])) ++b;
  while (e > b && std::iswspace(text[e - 1])) --e;
  return std::wstring(text.substr(b, e - b));
}

std::wstring ToUpper(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towupper(c));
  return out;
}

// The break test: a pending request, or a break mark that is the next line of a source.
bool TakeBreak() {
  InputState& state = State();
  if (state.breakWatcher) state.breakWatcher();
  for (const auto& source : state.sources)
    if (source->TakeBreakKey()) breakRequested = 1;
  if (breakRequested) {
    breakRequested = 0;
    return true;
  }
  if (!state.typedAhead.empty() || !state.commandAnswers.empty()) return false;
  while (!state.sources.empty()) {
    std::optional<std::wstring> next = state.sources.front()->PeekLine();
    if (!next && state.sources.front()->Exhausted()) {
      state.sources.pop_front();  // the mark may open the next source
      continue;
    }
    if (!next) return false;
    if (Trim(*next) != kBreakLine) return false;
    state.sources.front()->ReadLine(std::wstring());
    return true;
  }
  return false;
}

}  // namespace detail
}  // namespace pelvarhost
