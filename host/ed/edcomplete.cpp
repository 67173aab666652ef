// Tab completion of command names and file names, and the file prompt asking now.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "aced.h"
#include "edanswer.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "wideutf8.h"

namespace pelvarhost {
namespace {

namespace fs = std::filesystem;

std::vector<FileRequest>& FilePrompts() {
  static std::vector<FileRequest> prompts;  // innermost last
  return prompts;
}

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

std::vector<std::wstring> CommandNamesStartingWith(std::wstring_view word) {
  std::vector<std::wstring> names;
  const std::wstring typed = detail::ToUpper(word);
  for (const std::wstring& name : acedRegCmds->globalNames())
    if (name.compare(0, typed.size(), typed) == 0) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

// The folder relative names of a file prompt lie in: the prompt's folder, or the folder of
// its default file; the current folder when no file prompt asks.
fs::path BaseFolder() {
  const FileRequest* request = detail::CurrentFileRequest();
  if (request == nullptr || request->start.empty()) return fs::path(".");
  fs::path start(WideToUtf8(request->start));
  std::error_code ec;
  if (request->start.back() == L'/' || fs::is_directory(start, ec)) return start;
  return start.parent_path().empty() ? fs::path(".") : start.parent_path();
}

std::wstring ExpandHome(std::wstring_view word) {
  if (word.empty() || word[0] != L'~') return std::wstring(word);
  const char* home = std::getenv("HOME");
  return home == nullptr ? std::wstring(word) : Utf8ToWide(home) + std::wstring(word.substr(1));
}

// 0 for files with the prompt's extension, 1 for folders, 2 for the rest.
int Rank(const fs::directory_entry& entry) {
  std::error_code ec;
  if (entry.is_directory(ec)) return 1;
  const FileRequest* request = detail::CurrentFileRequest();
  if (request != nullptr && !request->extension.empty() &&
      detail::ToUpper(Utf8ToWide(entry.path().extension().string())) == detail::ToUpper(L"." + request->extension))
    return 0;
  return 2;
}

std::vector<std::wstring> FileNamesStartingWith(std::wstring_view word) {
  std::wstring expanded = ExpandHome(word);
  size_t slash = expanded.rfind(L'/');
  std::wstring typedFolder = slash == std::wstring::npos ? std::wstring() : expanded.substr(0, slash + 1);
  std::wstring prefix = slash == std::wstring::npos ? expanded : expanded.substr(slash + 1);
  fs::path folder = !typedFolder.empty() && typedFolder[0] == L'/' ? fs::path(WideToUtf8(typedFolder)) : BaseFolder() / WideToUtf8(typedFolder);
  std::vector<std::pair<int, std::wstring>> found;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::wstring name = Utf8ToWide(entry.path().filename().string());
    if (name.compare(0, prefix.size(), prefix) != 0 || (prefix.empty() && name[0] == L'.')) continue;
    int rank = Rank(entry);
    found.emplace_back(rank, typedFolder + name + (rank == 1 ? L"/" : L""));
  }
  std::sort(found.begin(), found.end());
  std::vector<std::wstring> names;
  for (auto& [rank, name] : found) names.push_back(std::move(name));
  return names;
}

}  // namespace

std::vector<std::wstring> CompletionsFor(std::wstring_view word, bool commandPrompt) {
  bool commandName = commandPrompt && detail::CurrentFileRequest() == nullptr;
  return commandName ? CommandNamesStartingWith(word) : FileNamesStartingWith(word);
}

std::wstring CommonStart(const std::vector<std::wstring>& completions) {
  if (completions.empty()) return {};
  std::wstring common = completions.front();
  for (const std::wstring& other : completions) {
    size_t n = 0;
    while (n < common.size() && n < other.size() && common[n] == other[n]) ++n;
    common.resize(n);
  }
  return common;
}

void SetFileChooser(FileChooser chooser) { Chooser() = std::move(chooser); }

namespace detail {

FilePromptScope::FilePromptScope(FileRequest request) { FilePrompts().push_back(std::move(request)); }
FilePromptScope::~FilePromptScope() { FilePrompts().pop_back(); }

const FileRequest* CurrentFileRequest() { return FilePrompts().empty() ? nullptr : &FilePrompts().back(); }

std::optional<Answer> AnswerFromFileChooser(std::wstring_view prompt, const FileRequest& request) {
  if (!Chooser() || !NextAnswerMayUseFileDialog()) return std::nullopt;
  WriteCommandLine(prompt);
  std::optional<std::wstring> chosen = Chooser()(request);
  if (!chosen) {
    EndAnswerLine(L"*Cancel*", true);
    return Answer{true, {}};
  }
  EndAnswerLine(*chosen, true);
  return Answer{false, *chosen};
}

}  // namespace detail
}  // namespace pelvarhost
