// The close and minimise buttons of the black title bar. At rest only the
// mark shows, in soft grey, so the bar stays quiet; under the pointer a plate
// lights up behind a white mark (red for close, as users expect), and while
// pressed the plate darkens.
#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include "forms/artwork/artwork.h"
#include "forms/artwork/bmp_writer.h"

namespace quorvant::forms::artwork {

namespace {

constexpr int kHeight = 18;
constexpr int kCloseWidth = 44;
constexpr int kMinimiseWidth = 27;

struct Look {
  QColor plate_top;
  QColor plate_bottom;
  QColor mark;
};

Look close_look(FaceState state) {
  switch (state) {
    case FaceState::kHover:
      return {QColor(236, 64, 58), QColor(206, 36, 32), QColor(255, 255, 255)};
    case FaceState::kPressed:
      return {QColor(150, 24, 22), QColor(172, 32, 28), QColor(246, 214, 212)};
    case FaceState::kNormal:
      break;
  }
  return {QColor(0, 0, 0), QColor(0, 0, 0), QColor(196, 196, 196)};
}

Look minimise_look(FaceState state) {
  switch (state) {
    case FaceState::kHover:
      return {QColor(70, 70, 72), QColor(52, 52, 54), QColor(255, 255, 255)};
    case FaceState::kPressed:
      return {QColor(30, 30, 31), QColor(40, 40, 42), QColor(214, 214, 214)};
    case FaceState::kNormal:
      break;
  }
  return {QColor(0, 0, 0), QColor(0, 0, 0), QColor(196, 196, 196)};
}

QImage plate(int width, const Look& look) {
  QImage image(width, kHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  QLinearGradient shade(0, 0, 0, kHeight);
  shade.setColorAt(0, look.plate_top);
  shade.setColorAt(1, look.plate_bottom);
  painter.fillRect(image.rect(), shade);
  return image;
}

}  // namespace

std::vector<uint8_t> close_button_face(FaceState state) {
  const Look look = close_look(state);
  QImage image = plate(kCloseWidth, look);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  // Two 45-degree strokes through pixel centres, crossing at the face's
  // centre, so both halves of the mark come out alike.
  constexpr double kHalf = 4.5;
  const double cx = kCloseWidth / 2.0;
  const double cy = kHeight / 2.0;
  QPen pen(look.mark, 1.4, Qt::SolidLine, Qt::FlatCap);
  painter.setPen(pen);
  painter.drawLine(QPointF(cx - kHalf, cy - kHalf), QPointF(cx + kHalf, cy + kHalf));
  painter.drawLine(QPointF(cx + kHalf, cy - kHalf), QPointF(cx - kHalf, cy + kHalf));
  painter.end();
  return encode_bmp24(image);
}

std::vector<uint8_t> minimise_button_face(FaceState state) {
  const Look look = minimise_look(state);
  QImage image = plate(kMinimiseWidth, look);
  QPainter painter(&image);
  // A crisp one-pixel bar, centred on the odd width, at the mark height of
  // the close button's centre.
  constexpr int kBarWidth = 9;
  painter.fillRect(QRect((kMinimiseWidth - kBarWidth) / 2, kHeight / 2, kBarWidth, 1), look.mark);
  painter.end();
  return encode_bmp24(image);
}

}  // namespace quorvant::forms::artwork
