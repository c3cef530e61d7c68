#include "ui/skinned/super_button_look.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include "ui/bag_control.h"
#include "ui/form_reader/ids.h"
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

namespace {

// What every step of painting one button needs.
struct ButtonPainting {
  QPainter& painter;
  const SuperLook& look;
  const SuperState& state;
  const QPalette& palette;
  std::array<QColor, 6> colours;
  QColor shadow;
  QColor highlight;
  bool lit;  // pressed, or the pointer is over it
};

// The black outline of a focused or default classic button; returns the
// area left inside it.
QRect paint_outline(const ButtonPainting& p, QRect r) {
  if (p.look.flat || !(p.state.focused || p.look.is_default)) return r;
  p.painter.setPen(Qt::black);
  p.painter.setBrush(Qt::NoBrush);
  p.painter.drawRect(r.adjusted(0, 0, -1, -1));
  return r.adjusted(1, 1, -1, -1);
}

void paint_background(const ButtonPainting& p, const QRect& r) {
  if (!p.lit) {
    p.painter.fillRect(r, p.state.focused ? p.colours[kBackFocus] : p.colours[kBackOut]);
  } else if (p.look.xp) {
    p.painter.setRenderHint(QPainter::Antialiasing, true);
    p.painter.setPen(Qt::black);
    p.painter.setBrush(p.colours[kBackIn]);
    p.painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.painter.setRenderHint(QPainter::Antialiasing, false);
  } else {
    p.painter.fillRect(r, p.colours[kBackIn]);
  }
}

void paint_frame(const ButtonPainting& p, const QRect& r) {
  const QRect edge = r.adjusted(0, 0, -1, -1);
  if (p.state.pressed) {
    if (!p.look.flat) {
      p.painter.setPen(p.shadow);
      p.painter.setBrush(Qt::NoBrush);
      p.painter.drawRect(edge);
    } else if (!p.look.xp && p.look.draw_border) {
      frame(p.painter, edge, p.shadow, p.highlight);  // sunken
    }
  } else if (!p.look.flat) {
    // The classic raised edge: highlight and light on the left and top,
    // dark shadow and shadow on the right and bottom.
    frame(p.painter, edge, p.highlight, p.palette.color(QPalette::Shadow));
    frame(p.painter, edge.adjusted(1, 1, -1, -1), p.palette.color(QPalette::Midlight), p.shadow);
  } else if (p.look.pointer_over && !p.look.xp && p.look.draw_border) {
    frame(p.painter, edge, p.highlight, p.shadow);  // raised
  }
}

// Where a picture of `size` goes for the alignment, and the area the
// caption keeps beside it.
struct PictureLayout {
  QRect place;
  QRect caption_area;
};

PictureLayout lay_out_picture(const QRect& whole, QSize size, int align, bool has_caption) {
  PictureLayout layout{whole, whole};
  QRect& place = layout.place;
  QRect& caption_area = layout.caption_area;
  const int w = size.width();
  const int h = size.height();
  auto centre_horizontally = [&] { place.setLeft(place.left() + (place.width() - w) / 2); };
  auto centre_vertically = [&] { place.setTop(place.top() + (place.height() - h) / 2); };
  switch (align) {
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
  return layout;
}

void paint_picture(const ButtonPainting& p, const QImage& picture, int slot, QPoint at) {
  if (p.state.pressed && !p.look.check_box) at += p.look.press_offset;
  if (slot == 2 || !p.state.disabled) {
    p.painter.drawImage(at, picture);
    return;
  }
  // No disabled picture: the chosen one on white, greyed the platform's way.
  QImage on_white(picture.size(), QImage::Format_RGB32);
  on_white.fill(Qt::white);
  QPainter(&on_white).drawImage(0, 0, picture);
  QStyleOption option;
  option.palette = p.palette;
  const QPixmap greyed =
      QApplication::style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(on_white), &option);
  p.painter.drawPixmap(at, greyed);
}

void paint_caption(const ButtonPainting& p, QRect c, const QFont& font, const QString& caption) {
  if (p.state.pressed && !p.look.check_box) c.translate(p.look.press_offset);
  p.painter.setFont(font);
  const int flags = Qt::TextWordWrap | Qt::AlignHCenter;
  const QRect measured = p.painter.boundingRect(QRect(c.left(), c.top(), c.width(), 10000), flags, caption);
  const QRect block(c.left(), c.top() + (c.height() - measured.height()) / 2, c.width(), measured.height());
  if (p.state.disabled) {
    // Engraved: highlight below right, shadow in place.
    p.painter.setPen(p.highlight);
    p.painter.drawText(block.translated(1, 1), flags, caption);
    p.painter.setPen(p.shadow);
  } else {
    p.painter.setPen(p.lit ? p.colours[kForeIn] : p.state.focused ? p.colours[kForeFocus] : p.colours[kForeOut]);
  }
  p.painter.drawText(block, flags, caption);
}

void paint_focus(const ButtonPainting& p, const QRect& whole) {
  // A focus that arrived from the keyboard is always shown: the person
  // moving through the window with Tab must see where they are.
  if (!p.state.focused || !(!p.look.flat || p.look.draw_focus || p.state.focus_from_keyboard)) return;
  p.painter.setPen(QPen(p.palette.color(QPalette::ButtonText), 1, Qt::DotLine));
  p.painter.setBrush(Qt::NoBrush);
  p.painter.drawRect(whole.adjusted(3, 3, -4, -4));
}

}  // namespace

void paint_super_button(QPainter& painter, const QRect& area, const SuperLook& look, const SuperState& state,
                        const QPalette& palette, const QFont& font, const QString& caption) {
  const ButtonPainting p{painter,
                         look,
                         state,
                         palette,
                         working_colours(look, palette),
                         palette.color(QPalette::Dark),
                         palette.color(QPalette::Light),
                         state.pressed || look.pointer_over};
  // Qt's rectangles end one pixel inside where the original platform's do.
  const QRect inside = paint_outline(p, area);
  paint_background(p, inside);
  paint_frame(p, inside);

  QRect caption_area = area;
  if (const auto slot = chosen_slot(look, state)) {
    const QImage& picture = *look.pictures[static_cast<size_t>(*slot)];
    const PictureLayout layout = lay_out_picture(area, picture.size(), look.align, !caption.isEmpty());
    caption_area = layout.caption_area;
    paint_picture(p, picture, *slot, layout.place.topLeft());
  }
  if (!caption.isEmpty()) paint_caption(p, caption_area, font, caption);
  paint_focus(p, area);
}

}  // namespace quorvant::ui::skinned
