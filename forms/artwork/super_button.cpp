// The command buttons' faces: a rounded plate with a thin border, shaded from
// light at the top to a little darker at the bottom, drawn on the panel's
// button-face grey. That grey is the top-left pixel and so the transparent
// colour; because the plate's antialiased edge blends into the same grey, the
// corners look right on the panel. The plate fills the top 24 rows, which is
// all a 24-pixel-high button shows of the 25-row picture.
#include <QColor>
#include <QLinearGradient>
#include <QPainter>

#include "forms/artwork/artwork.h"
#include "forms/artwork/bmp_writer.h"

namespace quorvant::forms::artwork {

namespace {

constexpr int kWidth = 98;
constexpr int kHeight = 25;
constexpr int kPlateHeight = 24;
constexpr double kRadius = 4.0;
const QColor kPanel(212, 208, 200);

struct Look {
  QColor border;
  QColor top;
  QColor middle;
  QColor bottom;
  QColor highlight;  // the one-pixel line inside the top edge
};

Look look_of(SuperFace face) {
  switch (face) {
    case SuperFace::kIn:
      // A light blue accent: the caption stays as readable as at rest.
      return {QColor(62, 128, 184), QColor(240, 248, 255), QColor(220, 237, 253), QColor(196, 224, 249),
              QColor(255, 255, 255)};
    case SuperFace::kDisabled:
      return {QColor(172, 169, 162), QColor(226, 224, 219), QColor(226, 224, 219), QColor(226, 224, 219),
              QColor(226, 224, 219)};
    case SuperFace::kOut:
      break;
  }
  return {QColor(124, 122, 116), QColor(254, 254, 252), QColor(241, 240, 236), QColor(222, 220, 213),
          QColor(255, 255, 255)};
}

}  // namespace

std::vector<uint8_t> super_button_face(SuperFace face) {
  const Look look = look_of(face);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(kPanel);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);

  // The border is the outer rounded shape; the shaded fill sits one pixel in.
  painter.setBrush(look.border);
  painter.drawRoundedRect(QRectF(0, 0, kWidth, kPlateHeight), kRadius, kRadius);
  QLinearGradient shade(0, 1, 0, kPlateHeight - 1);
  shade.setColorAt(0, look.top);
  shade.setColorAt(0.5, look.middle);
  shade.setColorAt(1, look.bottom);
  painter.setBrush(shade);
  painter.drawRoundedRect(QRectF(1, 1, kWidth - 2, kPlateHeight - 2), kRadius - 1, kRadius - 1);

  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(3, 1, kWidth - 6, 1), look.highlight);
  painter.end();
  return encode_bmp8(image);
}

}  // namespace quorvant::forms::artwork
