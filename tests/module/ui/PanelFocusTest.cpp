// The panel's elevation boxes: typing stays in the box, leaving it (Enter, Tab, a click)
// applies it, and the next prompt leaves the keys where the user put them.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "entity/PelvarClass.h"
#include "hostcmdline.h"
#include "tests/module/ui/WindowFixture.h"
#include "ui/PanelDlg.h"

namespace uitest {
namespace {

constexpr int kMinBox = 1064, kMaxBox = 1066;

void Press(int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
}

class PanelFocusTest : public WindowTest {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }
};

TEST_F(PanelFocusTest, TypedElevationsStayInTheirBoxAndApplyOnEnterOrLeaving) {
  AcDbObjectId cloud = AddCloud(WriteCloud("a.kmt", 2000, "A"));
  TogglePanel();
  ASSERT_NE(PanelDialog(), nullptr);
  QWidget* frame = CommandInput()->window();
  frame->activateWindow();
  QApplication::setActiveWindow(frame);
  struct Case {
    const char* what;
    std::function<void()> leave;  // what the user does after typing 800 into Min
  } cases[] = {
      {"Enter", [] { Press(Qt::Key_Return); }},
      {"Tab", [] { Press(Qt::Key_Tab); }},
      {"click on Max", [] { Control(kMaxBox)->setFocus(Qt::MouseFocusReason); }},
      {"click on the panel", [] { Control(kMinBox)->parentWidget()->setFocus(Qt::MouseFocusReason); }},
  };
  for (const Case& c : cases) {
    ChangeCloud(cloud, [](Pelvar& p) { p.setElevationWindow(false, 0, 0); });
    auto* box = qobject_cast<QLineEdit*>(Control(kMinBox));
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    for (char c : std::string("800")) Press(c, QString(QChar(c)));
    EXPECT_EQ(QApplication::focusWidget(), box) << c.what;
    c.leave();
    EXPECT_EQ(Fields(cloud).elevMin, 800) << c.what;
    EXPECT_EQ(CommandInput()->text(), QString()) << c.what;
    // The applied REGEN runs at the next prompt; the keys stay where the user put them.
    QWidget* focused = QApplication::focusWidget();
    std::unique_ptr<pelvarhost::InputSource> window = pelvarhost::MakeWindowInput();
    EXPECT_EQ(window->ReadLine(L"Command: "), std::optional<std::wstring>(L"_.REGEN")) << c.what;
    EXPECT_EQ(QApplication::focusWidget(), focused) << c.what;
    pelvarhost::ResetInput();
  }
}

}  // namespace
}  // namespace uitest
