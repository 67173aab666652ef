// The panel's elevation boxes in the program's window: typing stays in the box, Enter,
// Tab, a click elsewhere in the panel or on the other box applies it, and the command line
// takes back the keys at the next prompt only when no panel box has them.
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
  QWidget* target = QApplication::focusWidget();
  ASSERT_NE(target, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &release);
}

void Type(const QString& text) {
  for (QChar c : text) Press(c.unicode(), QString(c));
}

QWidget* CommandInput() {
  for (QWidget* widget : QApplication::allWidgets())
    if (widget->objectName() == QLatin1String("commandInput")) return widget;
  return nullptr;
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
    Type(QStringLiteral("800"));
    EXPECT_EQ(QApplication::focusWidget(), box) << c.what;
    c.leave();
    EXPECT_EQ(Fields(cloud).elevMin, 800) << c.what;
    EXPECT_EQ(qobject_cast<QLineEdit*>(CommandInput())->text(), QString()) << c.what;
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
