// Esc posted to the window during a fetch from a slow server: heard while the command
// works, the fetch ends "cancelled" without a file; other keys wait for the next prompt.
#include <QKeyEvent>
#include <QTimer>

#include "hostoutput.h"
#include "retrieval/FetchCommand.h"
#include "tests/module/fetch/SlowArchive.h"
#include "tests/module/ui/WindowFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

void PostKey(QWidget* to, int key, const QString& text) {
  QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
}

class WindowFetchCancel : public fetchtest::SlowArchive {};

TEST_F(WindowFetchCancel, EscPostedDuringTheFetchCancelsItAndOtherKeysWaitForThePrompt) {
  pelvartest::ScopedEnv config("XDG_CONFIG_HOME", (home_.path() / "config").string());
  pelvartest::ScopedEnv downloads("XDG_DOWNLOAD_DIR", downloads_.string());
  pelvarhost::ResetInput();
  AcApDocument* doc = acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), L"Fetch.pvd", true);
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(pelvarhost::Utf8ToWide(FetchAnswers("\n"))));
  QLineEdit* input = uitest::CommandInput();
  std::string out;
  Clock::time_point pressed{}, cancelled{};
  pelvarhost::OutputSink previous = pelvarhost::SetOutputSink([&](std::string_view text) {
    out.append(text);
    if (text.find("Esc cancels.") != std::string_view::npos)  // mid-download a moment later
      QTimer::singleShot(2 * fetchtest::kSlowLatency, [&] {
        PostKey(input, Qt::Key_X, QStringLiteral("x"));
        PostKey(input, Qt::Key_Escape, QString());
        pressed = Clock::now();
      });
    if (text.find("FETCH FAILED: cancelled") != std::string_view::npos) cancelled = Clock::now();
  });
  PelvarFetchCommand();
  pelvarhost::SetOutputSink(std::move(previous));

  ASSERT_NE(out.find("\nFETCH FAILED: cancelled"), std::string::npos) << out;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(cancelled - pressed).count();
  EXPECT_LT(cancelled - pressed, fetchtest::kCancelWithin) << ms << " ms";
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
