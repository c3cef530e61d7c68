// The `window` type: a top-level window with the program's own background,
// border, caption, icon, shape and position behaviour.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

#include "ui/bag_control.h"

namespace quorvant::ui::controls {

// The widget of a window. It asks its owner before it closes.
class FormWindow final : public QWidget {
 public:
  explicit FormWindow(QWidget* owner);

  // Asked when the window is to close; false refuses the close.
  std::function<bool()> on_close_request;
  void set_background(const QColor& colour, std::optional<QImage> picture, int mode);
  // The outline (see window_shape), kept when the window changes size.
  void set_shape(int shape);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int shape_ = 0;
  QColor colour_;
  std::optional<QImage> picture_;
  int picture_mode_ = 0;
};

class WindowControl final : public BagControl {
 public:
  WindowControl(const CreateParams& params, form::PropertyBag bag);

  FormWindow* window() const { return static_cast<FormWindow*>(widget()); }
  // Shows the window by its position property: 3 maximised, 2 minimised,
  // otherwise normally.
  void show_by_position();
  // Resizes the window in place, whatever its border: a fixed border only
  // keeps the user from changing the size.
  void resize_window(QSize size);

  bool enter_moves_focus() const { return flag(21); }
  bool escape_closes() const { return flag(22); }
  bool help_on_f1() const { return flag(23); }
  std::string help_file() const;  // UTF-8
  int32_t help_topic() const { return integer(25); }
  bool drag_moves_window() const { return flag(27); }

  PropertyValue get(int own_index) override;

 protected:
  bool refresh(int index) override;

 private:
  void apply_window_flags();
  void apply_shape();
  void apply_background();
  void apply_icon();
  void place_by_position();
};

// The window's outline for a shape choice: 1 ellipse, 2 rounded rectangle
// with corners a fifth of the shorter side, 3 ring (the middle half cut
// out). Nothing (a plain rectangle) for 0 and for choices past 3.
std::optional<QRegion> window_shape(int shape, QSize size);

}  // namespace quorvant::ui::controls
