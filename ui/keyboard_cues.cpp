#include "ui/keyboard_cues.h"

#include <QApplication>
#include <QEvent>

namespace quorvant::ui {

namespace {

constexpr char kKeyboardUsed[] = "quorvant-keyboard-used";

// Marks the window of the widget a key press goes to, and has the focused
// control draw itself again, now with its focus shown.
class KeyboardWatch final : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
      QWidget* top = static_cast<QWidget*>(watched)->window();
      if (!top->property(kKeyboardUsed).toBool()) {
        top->setProperty(kKeyboardUsed, true);
        if (QWidget* focused = top->focusWidget()) {
          // A list draws on its viewport, a child of its own.
          focused->update();
          for (QWidget* part : focused->findChildren<QWidget*>()) part->update();
        }
      }
    }
    return false;
  }
};

}  // namespace

void watch_keyboard_use() {
  static const bool watching = [] {
    qApp->installEventFilter(new KeyboardWatch(qApp));  // NOLINT: the application owns it
    return true;
  }();
  (void)watching;
}

bool keyboard_in_use(const QWidget& widget) {
  const QWidget* top = widget.window();
  return top != nullptr && top->property(kKeyboardUsed).toBool();
}

}  // namespace quorvant::ui
