#include "ui/skinned/super_button_look.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include "ui/bag_control.h"
#include "ui/form/ids.h"
#include "ui/skinned/colour_offset.h"

namespace quorvant::ui::skinned {

namespace {

constexpr int kMargin = 3;
constexpr int kLighter = 32;

void frame(QPainter& painter, const QRect& r, const QColor& top_left, const QColor& bottom_right) {
  painter.setPen(top_left);
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(bottom_right);
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace

std::array<QColor, 6> working_colours(const SuperLook& look, const QPalette& palette) {
  if (!look.default_colours) return look.colours;
  const QColor text = palette.color(QPalette::ButtonText);
  const QColor face = palette.color(QPalette::Button);
  return {text, face, text, offset_colour(face, kLighter), text, face};
}

QImage with_transparent_colour(const QImage& picture, uint32_t colour) {
  QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return image;
  const QRgb clear =
      colour == form::kButtonFaceColour ? (image.pixel(0, 0) | 0xFF000000u) : (to_qcolor(colour).rgb() | 0xFF000000u);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((row[x] | 0xFF000000u) == clear) row[x] = 0;
    }
  }
  return image;
}

std::optional<int> chosen_slot(const SuperLook& look, const SuperState& state) {
  // Pictures are drawn only when slot 0 or slot 1 holds one.
  if (!look.pictures[0] && !look.pictures[1]) return std::nullopt;
  if (state.disabled) return look.pictures[2] ? 2 : (look.pictures[0] ? 0 : 1);
  const bool outside = (look.check_box && !state.pressed) || (!state.pressed && !look.pointer_over);
  const int slot = outside ? 1 : 0;
  return look.pictures[static_cast<size_t>(slot)] ? slot : 1 - slot;
}

void paint_super_button(QPainter& painter, const QRect& area, const SuperLook& look, const SuperState& state,
                        const QPalette& palette, const QFont& font, const QString& caption) {
  const auto colours = working_colours(look, palette);
  const QColor shadow = palette.color(QPalette::Dark);
  const QColor highlight = palette.color(QPalette::Light);
  const QRect whole = area;
  // Qt's rectangles end one pixel inside where the original platform's do.
  QRect r = area;
  const bool lit = state.pressed || look.pointer_over;

  if (!look.flat && (state.focused || look.is_default)) {
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
  }

  // Background.
  if (lit) {
    if (look.xp) {
      painter.setRenderHint(QPainter::Antialiasing, true);
      painter.setPen(Qt::black);
      painter.setBrush(colours[kBackIn]);
      painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
      painter.setRenderHint(QPainter::Antialiasing, false);
    } else {
      painter.fillRect(r, colours[kBackIn]);
    }
  } else {
    painter.fillRect(r, state.focused ? colours[kBackFocus] : colours[kBackOut]);
  }

  // Frame.
  const QRect edge = r.adjusted(0, 0, -1, -1);
  if (state.pressed) {
    if (!look.flat) {
      painter.setPen(shadow);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(edge);
    } else if (!look.xp && look.draw_border) {
      frame(painter, edge, shadow, highlight);  // sunken
    }
  } else if (!look.flat) {
    // The classic raised edge: highlight and light on the left and top,
    // dark shadow and shadow on the right and bottom.
    frame(painter, edge, highlight, palette.color(QPalette::Shadow));
    frame(painter, edge.adjusted(1, 1, -1, -1), palette.color(QPalette::Midlight), shadow);
  } else if (look.pointer_over && !look.xp && look.draw_border) {
    frame(painter, edge, highlight, shadow);  // raised
  }

  QRect caption_area = whole;
  if (const auto slot = chosen_slot(look, state)) {
    const QImage& picture = *look.pictures[static_cast<size_t>(*slot)];
    const int w = picture.width();
    const int h = picture.height();
    QRect place = whole;
    const bool has_caption = !caption.isEmpty();
    auto centre_horizontally = [&] { place.setLeft(place.left() + (place.width() - w) / 2); };
    auto centre_vertically = [&] { place.setTop(place.top() + (place.height() - h) / 2); };
    switch (look.align) {
      case 0:
        if (has_caption) {
          place.setLeft(place.left() + kMargin);
          caption_area.setLeft(caption_area.left() + w + kMargin);
        } else {
          centre_horizontally();
        }
        centre_vertically();
        break;
      case 1:
        centre_horizontally();
        if (has_caption) {
          place.setTop(kMargin);
          caption_area.setTop(caption_area.top() + h);
        } else {
          centre_vertically();
        }
        break;
      case 2:
        if (has_caption) {
          caption_area.setRight(caption_area.right() - (kMargin + caption_area.left() + w));
          caption_area.setLeft(kMargin);
          place.setLeft(whole.width() - kMargin - w);
          centre_vertically();
        } else {
          centre_horizontally();
        }
        break;
      default:
        break;
    }
    QPoint at = place.topLeft();
    if (state.pressed && !look.check_box) at += look.press_offset;
    if (*slot == 2 || !state.disabled) {
      painter.drawImage(at, picture);
    } else {
      // No disabled picture: the chosen one on white, greyed the platform's way.
      QImage on_white(picture.size(), QImage::Format_RGB32);
      on_white.fill(Qt::white);
      QPainter(&on_white).drawImage(0, 0, picture);
      QStyleOption option;
      option.palette = palette;
      const QPixmap greyed =
          QApplication::style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(on_white), &option);
      painter.drawPixmap(at, greyed);
    }
  }

  if (!caption.isEmpty()) {
    QRect c = caption_area;
    if (state.pressed && !look.check_box) c.translate(look.press_offset);
    painter.setFont(font);
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter;
    const QRect measured = painter.boundingRect(QRect(c.left(), c.top(), c.width(), 10000), flags, caption);
    const QRect block(c.left(), c.top() + (c.height() - measured.height()) / 2, c.width(), measured.height());
    if (state.disabled) {
      // Engraved: highlight below right, shadow in place.
      painter.setPen(highlight);
      painter.drawText(block.translated(1, 1), flags, caption);
      painter.setPen(shadow);
    } else {
      painter.setPen(lit ? colours[kForeIn] : state.focused ? colours[kForeFocus] : colours[kForeOut]);
    }
    painter.drawText(block, flags, caption);
  }

  // A focus that arrived from the keyboard is always shown: the person
  // moving through the window with Tab must see where they are.
  if (state.focused && (!look.flat || look.draw_focus || state.focus_from_keyboard)) {
    painter.setPen(QPen(palette.color(QPalette::ButtonText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(3, 3, -4, -4));
  }
}

}  // namespace quorvant::ui::skinned
