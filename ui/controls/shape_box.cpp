// ShapeBox: a control that paints a shape (rectangle, square, ellipse,
// circle, rounded rectangle or square, or a line) over its background.
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include "ui/bag_control.h"
#include "ui/controls/core_controls.h"
#include "ui/controls/widget_setup.h"
#include "ui/form_reader/ids.h"

namespace quorvant::ui::controls {

namespace {

enum Property {
  kBackground = 8,
  kShape = 9,
  kEffect = 10,
  kLineStyle = 11,
  kLineWidth = 12,
  kLineColour = 13,
  kFill = 14
};
enum Shape {
  kRectangle,
  kSquare,
  kEllipse,
  kCircle,
  kRoundedRectangle,
  kRoundedSquare,
  kHorizontalLine,
  kVerticalLine
};
enum Effect { kFlat, kSunken, kRaised };

Qt::PenStyle pen_style(int32_t line_style) {
  switch (line_style) {
    case 0:
      return Qt::NoPen;
    case 2:
      return Qt::DashLine;
    case 3:
      return Qt::DotLine;
    case 4:
      return Qt::DashDotLine;
    case 5:
      return Qt::DashDotDotLine;
    default:
      return Qt::SolidLine;
  }
}

class ShapeWidget final : public QWidget {
 public:
  ShapeWidget(QWidget* parent, form::PropertyBag bag) : QWidget(parent), bag_(std::move(bag)) {}
  void set_properties(form::PropertyBag bag) {
    bag_ = std::move(bag);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), to_qcolor(static_cast<uint32_t>(bag_.integer(kBackground))));
    const int shape = bag_.integer(kShape);
    const int effect = bag_.integer(kEffect);
    const Qt::PenStyle style = pen_style(bag_.integer(kLineStyle));
    const auto fill = static_cast<uint32_t>(bag_.integer(kFill));
    const QBrush brush = fill == form::kButtonFaceColour ? QBrush(Qt::NoBrush) : QBrush(to_qcolor(fill));

    if (effect == kFlat) {
      // Only a flat solid outline has a width of its own; it is drawn inside
      // the shape, so the shape keeps its size however thick the line.
      const int pen_width = style == Qt::SolidLine ? std::max(1, bag_.integer(kLineWidth)) : 1;
      const QRect place = outline_rect(shape, pen_width);
      draw(painter, shape, place, QPen(to_qcolor(static_cast<uint32_t>(bag_.integer(kLineColour))), pen_width, style),
           brush);
      return;
    }
    // Sunken: a white outline one pixel right of and below the shape, then a
    // black one in place; raised: the other way round. Only the first is
    // filled.
    const QRect place = outline_rect(shape, 1).adjusted(0, 0, -1, -1);
    const QColor first = effect == kSunken ? Qt::white : Qt::black;
    const QColor second = effect == kSunken ? Qt::black : Qt::white;
    draw(painter, shape, place.translated(1, 1), QPen(first, 1, style), brush);
    draw(painter, shape, place, QPen(second, 1, style), Qt::NoBrush);
  }

 private:
  // The shape's bounding box for a pen of `pen_width` drawn inside it.
  QRect outline_rect(int shape, int pen_width) const {
    QRect box = rect();
    if (shape == kSquare || shape == kCircle || shape == kRoundedSquare) {
      const int side = std::min(width(), height());
      box = QRect((width() - side) / 2, (height() - side) / 2, side, side);
    }
    const int inset = pen_width / 2;
    return box.adjusted(inset, inset, -(pen_width - inset), -(pen_width - inset));
  }

  void draw(QPainter& painter, int shape, const QRect& place, const QPen& pen, const QBrush& brush) const {
    painter.setPen(pen);
    painter.setBrush(brush);
    switch (shape) {
      case kEllipse:
      case kCircle:
        painter.drawEllipse(place);
        break;
      case kRoundedRectangle:
      case kRoundedSquare:
        // Corners are ellipses a fifth of the width and of the height.
        painter.drawRoundedRect(place, place.width() / 10.0, place.height() / 10.0);
        break;
      case kHorizontalLine:
        painter.drawLine(place.left(), place.top(), place.right(), place.top());
        break;
      case kVerticalLine:
        painter.drawLine(place.left(), place.top(), place.left(), place.bottom());
        break;
      default:
        painter.drawRect(place);
        break;
    }
  }

  form::PropertyBag bag_;
};

class ShapeBoxControl final : public BagControl {
 public:
  ShapeBoxControl(const CreateParams& params, form::PropertyBag bag)
      : BagControl(params.type, nullptr, std::move(bag)) {
    auto* widget = make_owned<ShapeWidget>(params.parent, this->bag());
    place_child(widget, params);
    reset_widget(widget);
  }

 protected:
  bool refresh(int) override {
    if (auto* shape = static_cast<ShapeWidget*>(widget())) shape->set_properties(bag());
    return false;
  }
};

}  // namespace

std::unique_ptr<Control> create_shape_box(const CreateParams& params) {
  auto bag = read_bag(params);
  if (!bag) return nullptr;
  return std::make_unique<ShapeBoxControl>(params, std::move(*bag));
}

}  // namespace quorvant::ui::controls
