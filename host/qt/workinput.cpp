#include "workinput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <utility>
#include <vector>

#include "hostinput.h"
#include "qtwindows.h"

namespace pelvarhost {
namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease: return true;
    default: return false;
  }
}

bool IsEscPress(QEvent* event) {
  return event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

// One held event and the object it was on its way to.
struct HeldEvent {
  QPointer<QObject> receiver;
  std::unique_ptr<QEvent> event;
};

std::vector<HeldEvent>& Held() {
  static std::vector<HeldEvent> held;
  return held;
}

// True for the main window and what it holds; a dialog opened meanwhile (the question
// before closing) takes its input as usual.
bool InMainWindow(QObject* receiver) {
  QWidget* frame = gui::MainFrameWidget();
  if (frame == nullptr) return false;
  if (receiver->isWidgetType()) return static_cast<QWidget*>(receiver)->window() == frame;
  return receiver->isWindowType() && receiver == static_cast<QObject*>(frame->windowHandle());
}

// Installed on the application while the events run: sees every event first.
class WorkFilter : public QObject {
 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (!InMainWindow(receiver)) return false;
    if (event->type() == QEvent::ShortcutOverride) {
      // The key is the focus widget's: no menu shortcut takes it, its press is held below.
      event->accept();
      return true;
    }
    if (!IsUserInput(event->type())) return false;
    if (IsEscPress(event)) {
      RequestBreak();
      return true;
    }
    if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return true;
    Held().push_back(HeldEvent{receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
  }
};

}  // namespace

void RunEventsWhileWorking() {
  static bool running = false;
  if (running || QCoreApplication::instance() == nullptr) return;
  running = true;
  WorkFilter filter;
  QCoreApplication::instance()->installEventFilter(&filter);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents();  // what the events just run have posted (a timer's key)
  QCoreApplication::instance()->removeEventFilter(&filter);
  running = false;
}

void ReleaseHeldInput() {
  std::vector<HeldEvent> held = std::exchange(Held(), {});
  for (HeldEvent& item : held)
    if (item.receiver) QCoreApplication::postEvent(item.receiver, item.event.release());
}

void DropHeldInput() { Held().clear(); }

}  // namespace pelvarhost
