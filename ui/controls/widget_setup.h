// Setting up the widget of a new control the same way for every type.
#pragma once

#include <QColor>
#include <QFrame>
#include <QPainter>
#include <QWidget>

#include <utility>

#include "ui/control.h"

namespace quorvant::ui::controls {

// A widget owned by `parent` through Qt's parent tree: it is deleted with
// its parent (or explicitly, by whoever removes it from the tree).
template <class Widget, class... Args>
Widget* make_owned(QWidget* parent, Args&&... args) {
  return new Widget(parent, std::forward<Args>(args)...);  // NOLINT: the parent owns it
}

// Places a child control: stored geometry, enabled state, tab stop; it
// stays hidden until the runtime shows it.
void place_child(QWidget* widget, const CreateParams& params);

// The border choice of edit and list boxes: 0 none, 1 sunken client edge,
// 2 raised, 3 shallow sunken, 4 dialog frame with client edge, 5 a single
// thin line.
void apply_border(QFrame* frame, int32_t border);

// The same border choices for a widget that paints its own border: how
// wide the border is, and drawing it around `area`.
int border_width(int32_t border);
void paint_border(QPainter& painter, const QRect& area, int32_t border, const QPalette& palette);

// Text and background colours (0x00BBGGRR; 0xFF000000 the button face).
void apply_colours(QWidget* widget, uint32_t text, uint32_t background,
                   QPalette::ColorRole text_role = QPalette::WindowText,
                   QPalette::ColorRole background_role = QPalette::Window);

}  // namespace quorvant::ui::controls
