// How a super button looks in a given state, drawn with a painter so that
// the button and the tests draw the same thing.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace quorvant::ui::skinned {

enum ColourSlot { kForeOut, kBackOut, kForeIn, kBackIn, kForeFocus, kBackFocus };

struct SuperLook {
  bool flat = true;  // the flat and XP looks; false: the classic 3-D look
  bool xp = false;
  bool check_box = false;
  bool checked = false;
  bool is_default = false;
  bool pointer_over = false;
  int align = 0;  // 0 picture left, 1 above, 2 right, 3 overlapping
  QPoint press_offset{1, 1};
  bool draw_border = true;
  bool draw_focus = false;
  // Pictures with their transparent pixels clear: 0 pointer inside,
  // 1 pointer outside, 2 disabled.
  std::array<std::optional<QImage>, 3> pictures;
  bool default_colours = true;
  std::array<QColor, 6> colours;  // by ColourSlot
};

struct SuperState {
  bool focused = false;
  bool focus_from_keyboard = false;  // reached with Tab or a shortcut, not a click
  bool disabled = false;
  bool pressed = false;
};

// The six working colours: the stored ones, or with the default scheme the
// button text and face colours, the face lightened by 32 while inside.
std::array<QColor, 6> working_colours(const SuperLook& look, const QPalette& palette);

void paint_super_button(QPainter& painter, const QRect& area, const SuperLook& look, const SuperState& state,
                        const QPalette& palette, const QFont& font, const QString& caption);

// The picture with the pixels of `colour` (0x00BBGGRR; 0xFF000000: the
// colour of the top-left pixel) made transparent.
QImage with_transparent_colour(const QImage& picture, uint32_t colour);

// Which picture slot shows, or nothing when neither slot 0 nor slot 1
// holds a picture.
std::optional<int> chosen_slot(const SuperLook& look, const SuperState& state);

}  // namespace quorvant::ui::skinned
