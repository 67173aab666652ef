// Esc posted to the window during a fetch from a slow server: heard while the command
// works, the fetch ends "cancelled" without a file; other keys wait for the next prompt.
#include <QKeyEvent>
#include <atomic>
#include <thread>

#include "hostoutput.h"
#include "retrieval/FetchCommand.h"
#include "tests/module/fetch/SlowArchive.h"
#include "tests/module/ui/WindowFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

QKeyEvent* KeyPress(int key, const QString& text) { return new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text); }

class WindowFetchCancel : public fetchtest::SlowArchive {};

TEST_F(WindowFetchCancel, EscPostedDuringTheFetchCancelsItAndOtherKeysWaitForThePrompt) {
  pelvartest::ScopedEnv config("XDG_CONFIG_HOME", (home_.path() / "config").string());
  pelvartest::ScopedEnv downloads("XDG_DOWNLOAD_DIR", downloads_.string());
  pelvarhost::ResetInput();
  AcApDocument* doc = acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), L"Fetch.pvd", true);
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(pelvarhost::Utf8ToWide(FetchAnswers("\n"))));
  QLineEdit* input = uitest::CommandInput();
  std::string out;
  std::atomic<Clock::rep> pressed{0};
  Clock::time_point cancelled{};
  std::thread user;  // the keys arrive while the command works, as from the keyboard
  pelvarhost::OutputSink previous = pelvarhost::SetOutputSink([&](std::string_view text) {
    out.append(text);
    if (text.find("Esc cancels.") != std::string_view::npos)
      user = std::thread([&, x = KeyPress(Qt::Key_X, "x"), esc = KeyPress(Qt::Key_Escape, {})] {
        std::this_thread::sleep_for(2 * fetchtest::kSlowLatency);
        QCoreApplication::postEvent(input, x);
        pressed = Clock::now().time_since_epoch().count();
        QCoreApplication::postEvent(input, esc);
      });
    if (text.find("FETCH FAILED: cancelled") != std::string_view::npos) cancelled = Clock::now();
  });
  PelvarFetchCommand();
  if (user.joinable()) user.join();
  pelvarhost::SetOutputSink(std::move(previous));

  ASSERT_NE(out.find("\nFETCH FAILED: cancelled"), std::string::npos) << out;
  const auto took = cancelled - Clock::time_point(Clock::duration(pressed.load()));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  EXPECT_LT(took, fetchtest::kCancelWithin) << ms << " ms";
  RecordProperty("EscToMessageMs", static_cast<int>(ms));
  EXPECT_TRUE(NoFetchedFile());
  EXPECT_EQ(input->text(), QString());  // the x is held while the command works...
  pelvarhost::QueueTypedText(L"DOCS\n");
  EXPECT_EQ(pelvarhost::MakeWindowInput()->ReadLine(L"Command: "), std::optional<std::wstring>(L"DOCS"));
  QCoreApplication::processEvents();
  EXPECT_EQ(input->text(), QStringLiteral("x"));  // ...and typed at the next prompt
  input->clear();
  acDocManagerPtr()->closeDocument(doc);
  pelvarhost::ResetInput();
}

}  // namespace
