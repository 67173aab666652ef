// Esc in the window during a fetch from a slow server: the key is heard while the command
// works, the fetch ends with "cancelled" and leaves no file; other keys typed meanwhile
// wait for the next prompt.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <chrono>

#include "acdocman.h"
#include "dbdatabase.h"
#include "hostgui.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "wideutf8.h"
#include "retrieval/FetchCommand.h"
#include "tests/module/fetch/ArchiveFixture.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kLon = -77.0, kLat = 40.0;
constexpr auto kLatency = 250ms;
// The key comes this long after the fetch said that Esc cancels: mid-download.
constexpr auto kKeyAfter = 500ms;
constexpr auto kCancelWithin = 3s;

QLineEdit* CommandInput() {
  for (QWidget* widget : QApplication::allWidgets())
    if (widget->objectName() == QLatin1String("commandInput")) return qobject_cast<QLineEdit*>(widget);
  return nullptr;
}

void PostKey(QWidget* to, int key, const QString& text) {
  QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
}

class WindowFetchCancel : public fetchtest::ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    addSurvey("PA_Slow_2020", fetchtest::SceneAt(kLon, kLat, 20000, 7));
    setIndex("PA_Slow_2020 2020 1000 -77.05 39.95 -76.95 40.05\n");
    server_->setLatency(kLatency);
    pelvarhost::ResetInput();
    acDocManagerPtr()->addDocument(std::make_unique<AcDbDatabase>(), L"Fetch.pvd", true);
  }
  void TearDown() override {
    acDocManagerPtr()->closeAllDocuments();
    pelvarhost::ResetInput();
    ArchiveFixture::TearDown();
  }
};

TEST_F(WindowFetchCancel, EscPostedDuringTheFetchCancelsItAndOtherKeysWaitForThePrompt) {
  pelvartest::ScopedEnv config("XDG_CONFIG_HOME", (home_.path() / "config").string());
  pelvartest::ScopedEnv downloads("XDG_DOWNLOAD_DIR", downloads_.string());
  double x = 0, y = 0;
  fetchtest::ZonePointAt(*FindZoneByEpsg(2272), kLon, kLat, x, y);
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(pelvarhost::Utf8ToWide(
      "2272\n" + fetchtest::Number(x - 1000) + "," + fetchtest::Number(y - 500) + "\n" + fetchtest::Number(x + 1000) +
      "," + fetchtest::Number(y + 500) + "\n")));
  QLineEdit* input = CommandInput();
  ASSERT_NE(input, nullptr);
  std::string out;
  Clock::time_point pressed{}, cancelled{};
  bool armed = false;
  pelvarhost::OutputSink previous = pelvarhost::SetOutputSink([&](std::string_view text) {
    out.append(text);
    if (!armed && out.find("Esc cancels.") != std::string::npos) {
      armed = true;
      QTimer::singleShot(kKeyAfter, [&] {
        PostKey(input, Qt::Key_X, QStringLiteral("x"));
        PostKey(input, Qt::Key_Escape, QString());
        pressed = Clock::now();
      });
    }
    if (cancelled == Clock::time_point{} && out.find("FETCH FAILED: cancelled") != std::string::npos) cancelled = Clock::now();
  });
  PelvarFetchCommand();
  pelvarhost::SetOutputSink(std::move(previous));

  ASSERT_NE(out.find("\nFETCH FAILED: cancelled"), std::string::npos) << out;
  ASSERT_NE(pressed, Clock::time_point{});
  const auto took = cancelled - pressed;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
  EXPECT_LT(took, kCancelWithin) << ms << " ms";
  RecordProperty("EscToMessageMs", static_cast<int>(ms));
  for (const std::string& name : downloadedFiles()) EXPECT_NE(name.rfind("KMT_fetch_", 0), 0u) << name;
  // The x typed during the work is held, and typed at the next prompt.
  EXPECT_EQ(input->text(), QString());
  pelvarhost::QueueTypedText(L"DOCS\n");
  std::unique_ptr<pelvarhost::InputSource> window = pelvarhost::MakeWindowInput();
  EXPECT_EQ(window->ReadLine(L"Command: "), std::optional<std::wstring>(L"DOCS"));
  QCoreApplication::processEvents();
  EXPECT_EQ(input->text(), QStringLiteral("x"));
  input->clear();
}

}  // namespace
