// The window icon: a blue rounded tile holding a white photo card (hills and
// a sun) and an orange badge with a turning arrow, for "pictures converted".
// The shapes are laid out on a 64-unit grid and scaled. At 16 pixels scaled
// shapes only blur, so that image is drawn on the pixel grid instead: a
// crisp card, one hill, and a plain arrow in the badge.
#include <array>

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "forms/artwork/artwork.h"
#include "forms/artwork/icon_writer.h"

namespace quorvant::forms::artwork {

namespace {

constexpr double kGrid = 64.0;
constexpr std::array<int, 4> kSizes = {16, 32, 48, 64};

void draw_tile(QPainter& painter) {
  QLinearGradient shade(0, 3, 0, 61);
  shade.setColorAt(0, QColor(52, 146, 255));
  shade.setColorAt(1, QColor(18, 86, 214));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(12, 62, 160));
  painter.drawRoundedRect(QRectF(3, 3, 58, 58), 12, 12);
  painter.setBrush(shade);
  painter.drawRoundedRect(QRectF(4, 4, 56, 56), 11, 11);
}

void draw_photo(QPainter& painter) {
  const QRectF card(11, 12, 36, 30);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255));
  painter.drawRoundedRect(card, 3, 3);

  const QRectF view = card.adjusted(3.5, 3.5, -3.5, -3.5);
  painter.save();
  painter.setClipRect(view);
  painter.fillRect(view, QColor(214, 234, 255));
  QPainterPath hills;
  hills.moveTo(view.left(), view.bottom());
  hills.lineTo(view.left() + 9, view.top() + 9);
  hills.lineTo(view.left() + 15, view.top() + 15);
  hills.lineTo(view.left() + 21, view.top() + 8);
  hills.lineTo(view.right(), view.bottom());
  hills.closeSubpath();
  painter.setBrush(QColor(26, 110, 222));
  painter.drawPath(hills);
  painter.setBrush(QColor(255, 170, 40));
  painter.drawEllipse(QPointF(view.right() - 5.5, view.top() + 5), 3.2, 3.2);
  painter.restore();
}

void draw_badge(QPainter& painter) {
  const QPointF centre(44.5, 44.5);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255));
  painter.drawEllipse(centre, 15, 15);
  QLinearGradient shade(0, 31, 0, 58);
  shade.setColorAt(0, QColor(255, 150, 40));
  shade.setColorAt(1, QColor(236, 96, 16));
  painter.setBrush(shade);
  painter.drawEllipse(centre, 12.5, 12.5);

  // Three quarters of a circle and an arrow head at its open end.
  QPen stroke(QColor(255, 255, 255), 3.4, Qt::SolidLine, Qt::FlatCap);
  painter.setPen(stroke);
  painter.setBrush(Qt::NoBrush);
  const QRectF ring(centre.x() - 6.5, centre.y() - 6.5, 13, 13);
  painter.drawArc(ring, 90 * 16, 270 * 16);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255));
  QPainterPath head;
  head.moveTo(centre.x() - 0.5, centre.y() - 11.5);
  head.lineTo(centre.x() + 6.0, centre.y() - 6.5);
  head.lineTo(centre.x() - 0.5, centre.y() - 1.5);
  head.closeSubpath();
  painter.drawPath(head);
}

QImage small_icon_image() {
  QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient shade(0, 0, 0, 16);
  shade.setColorAt(0, QColor(52, 146, 255));
  shade.setColorAt(1, QColor(18, 86, 214));
  painter.setPen(QPen(QColor(12, 62, 160), 1));
  painter.setBrush(shade);
  painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);

  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRect(2, 3, 10, 8), QColor(255, 255, 255));
  painter.fillRect(QRect(3, 4, 8, 6), QColor(214, 234, 255));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(26, 110, 222));
  painter.drawPolygon(QPolygon({QPoint(3, 10), QPoint(3, 9), QPoint(6, 6), QPoint(9, 9), QPoint(9, 10)}));

  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(255, 255, 255));
  painter.drawEllipse(QRectF(7, 7, 9, 9));
  painter.setBrush(QColor(244, 118, 24));
  painter.drawEllipse(QRectF(8, 8, 7, 7));
  painter.setRenderHint(QPainter::Antialiasing, false);
  // A five-pixel arrow pointing right: shaft and solid head.
  const QColor white(255, 255, 255);
  painter.fillRect(QRect(9, 11, 5, 1), white);
  painter.fillRect(QRect(11, 9, 1, 5), white);
  painter.fillRect(QRect(12, 10, 1, 3), white);
  painter.end();
  return image;
}

}  // namespace

QImage window_icon_image(int size) {
  if (size <= 16) return small_icon_image();
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / kGrid, size / kGrid);
  draw_tile(painter);
  draw_photo(painter);
  draw_badge(painter);
  painter.end();
  return image;
}

std::vector<uint8_t> window_icon() {
  std::vector<QImage> images;
  for (const int size : kSizes) images.push_back(window_icon_image(size));
  return encode_icon(images);
}

}  // namespace quorvant::forms::artwork
