// The keyboard and mouse handling of one window, seen before any of its
// widgets: Tab order, arrow keys among radio buttons, Enter and the default
// button, Escape, F1 help, Alt shortcuts, and moving the window by dragging
// its background or a panel.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <cstdint>
#include <optional>
#include <vector>

class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace quorvant::ui {

class WindowRuntime;
namespace controls {
class WindowControl;
}

class WindowInput final : public QObject {
 public:
  WindowInput(WindowRuntime& runtime, uint32_t window_id) : runtime_(runtime), window_id_(window_id) {}

  // Watches `widget` and every widget inside it.
  void watch(QWidget* widget);

  // The element positions in Tab order: visible, enabled tab stops sorted
  // by their focus-order word, equal words in reverse list order.
  std::vector<size_t> tab_order(std::optional<size_t> also = {}) const;
  // Moves the focus one step through the Tab order.
  void move_focus(bool forward);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool on_key(QKeyEvent* key);
  void move_among_radios(size_t focused, bool forward);
  bool on_enter(std::optional<size_t> focused, bool enter_moves_focus);
  void open_help(const controls::WindowControl& window_control);
  bool on_shortcut(int key);
  void focus_after_label(size_t label);
  void focus_into_group(const QWidget& group);
  bool on_mouse(QWidget* widget, QMouseEvent* mouse, int type);
  std::optional<size_t> focused_position() const;
  std::optional<size_t> position_of_widget(const QWidget* widget) const;
  bool focus_position(size_t position);

  WindowRuntime& runtime_;
  uint32_t window_id_;
  // A press on the background or a panel arms the drag; the first move
  // with the button held starts it; any release ends it.
  bool drag_pending_ = false;
  bool dragging_ = false;
  QPoint drag_offset_;
};

}  // namespace quorvant::ui
