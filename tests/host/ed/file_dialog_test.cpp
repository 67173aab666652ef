// File prompts and the file dialog: the dialog answers only what the user would type into
// a source that shows dialogs (the window); scripts, -c lines and typed-ahead words are
// still read as text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "acedads.h"
#include "acutads.h"
#include "hostinput.h"
#include "hostoutput.h"

namespace {

// The window's input as the command loop sees it: lines the user sends, and dialogs.
class DialogSource : public pelvarhost::InputSource {
 public:
  std::optional<std::wstring> ReadLine(const std::wstring&) override { return L"typed.kmt"; }
  bool ShowsFileDialogs() const override { return true; }
};

TEST(FileDialog, OpensOnlyForTheUserAndStartsInThePromptsFolder) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "pelvar_file_dialog";
  std::filesystem::create_directories(folder);
  for (const char* name : {"typed.kmt", "script.kmt", "chosen.kmt"}) std::ofstream(folder / name) << "x";
  const std::wstring start = folder.wstring() + L"/";
  struct Case {
    const char* what;
    const wchar_t* scriptLines;  // before the window's input; null: none
    const wchar_t* typedAhead;   // queued typing; null: none
    std::optional<std::wstring> choice;
    int expectedCode;
    const wchar_t* expectedFile;
    bool dialogShown;
  } cases[] = {
      {"a script answers", L"script.kmt\n", nullptr, L"never", RTNORM, L"script.kmt", false},
      {"typed-ahead words answer", nullptr, L"ATTACH script.kmt\n", L"never", RTNORM, L"script.kmt", false},
      {"the user chooses", nullptr, nullptr, (folder / "chosen.kmt").wstring(), RTNORM, L"chosen.kmt", true},
      {"the user cancels", nullptr, nullptr, std::nullopt, RTCAN, nullptr, true},
  };
  for (const Case& c : cases) {
    pelvarhost::ResetInput();
    if (c.scriptLines != nullptr) pelvarhost::AddInputSource(pelvarhost::MakeTextInput(c.scriptLines));
    pelvarhost::AddInputSource(std::make_unique<DialogSource>());
    if (c.typedAhead != nullptr) {  // the command's name is taken, the word after it answers
      pelvarhost::QueueTypedText(c.typedAhead);
      pelvarhost::TakeQueuedCommand();
    }
    std::optional<pelvarhost::FileRequest> asked;
    pelvarhost::SetFileChooser([&](const pelvarhost::FileRequest& request) {
      asked = request;
      return c.choice;
    });
    pelvarhost::OutputCapture out;
    resbuf* rb = acutNewRb(RTSTR);
    EXPECT_EQ(acedGetFileD(L"Select cloud", start.c_str(), L"kmt", 0, rb), c.expectedCode) << c.what;
    if (c.expectedFile != nullptr && rb->resval.rstring != nullptr) {
      EXPECT_EQ(std::filesystem::path(rb->resval.rstring).filename().wstring(), c.expectedFile) << c.what;
    }
    acutRelRb(rb);
    EXPECT_EQ(asked.has_value(), c.dialogShown) << c.what;
    if (asked) {
      EXPECT_EQ(asked->start, start) << c.what;
      EXPECT_EQ(asked->extension, L"kmt") << c.what;
      EXPECT_FALSE(asked->mayBeNew) << c.what;
      EXPECT_NE(out.Text().find(c.choice ? "chosen.kmt\n" : "*Cancel*\n"), std::string::npos) << c.what << out.Text();
    }
  }
  pelvarhost::SetFileChooser(nullptr);
  pelvarhost::ResetInput();
}

}  // namespace
