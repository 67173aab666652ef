// The file dialog answers a file prompt only for the user at a source that shows dialogs
// (the window), starting in the prompt's folder; scripts and typed-ahead words stay text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "acedads.h"
#include "acutads.h"
#include "hostinput.h"

namespace {

class DialogSource : public pelvarhost::InputSource {
 public:
  std::optional<std::wstring> ReadLine(const std::wstring&) override { return L"typed.kmt"; }
  bool ShowsFileDialogs() const override { return true; }
};

TEST(FileDialog, OpensOnlyForTheUserAndStartsInThePromptsFolder) {
  const auto folder = std::filesystem::path(testing::TempDir()) / "pelvar_file_dialog";
  std::filesystem::create_directories(folder);
  for (const char* name : {"script.kmt", "chosen.kmt"}) std::ofstream(folder / name) << "x";
  const std::wstring start = folder.wstring() + L"/", chosen = (folder / "chosen.kmt").wstring();
  struct Case {
    const wchar_t* script;  // lines before the window's input
    const wchar_t* typed;   // queued typing: a command name, then its answer
    std::optional<std::wstring> choice;
    int code;
    std::wstring file;
  } cases[] = {
      {L"script.kmt\n", nullptr, chosen, RTNORM, start + L"script.kmt"},
      {nullptr, L"ATTACH script.kmt\n", chosen, RTNORM, start + L"script.kmt"},
      {nullptr, nullptr, chosen, RTNORM, chosen},
      {nullptr, nullptr, std::nullopt, RTCAN, L""},
  };
  for (const Case& c : cases) {
    pelvarhost::ResetInput();
    if (c.script != nullptr) pelvarhost::AddInputSource(pelvarhost::MakeTextInput(c.script));
    pelvarhost::AddInputSource(std::make_unique<DialogSource>());
    if (c.typed != nullptr) pelvarhost::QueueTypedText(c.typed), void(pelvarhost::TakeQueuedCommand());
    std::optional<pelvarhost::FileRequest> asked;
    pelvarhost::SetFileChooser([&](const pelvarhost::FileRequest& request) { return asked = request, c.choice; });
    resbuf* rb = acutNewRb(RTSTR);
    EXPECT_EQ(acedGetFileD(L"Select cloud", start.c_str(), L"kmt", 0, rb), c.code) << c.file;
    EXPECT_EQ(rb->resval.rstring != nullptr ? std::wstring(rb->resval.rstring) : L"", c.file);
    acutRelRb(rb);
    const bool user = c.script == nullptr && c.typed == nullptr;
    EXPECT_EQ(asked.has_value(), user) << c.file;
    EXPECT_EQ(asked ? asked->start + L" " + asked->extension : start + L" kmt", start + L" kmt");
  }
  pelvarhost::SetFileChooser(nullptr);
  pelvarhost::ResetInput();
}

}  // namespace
