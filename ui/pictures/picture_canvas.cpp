#include "ui/pictures/picture_canvas.h"

namespace quorvant::ui::pictures {

bool picture_size_allowed(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
  return width * height <= kMaxPicturePixels;  // both sides are below 2^15, so the product fits
}

std::optional<QImage> make_picture(uint64_t width, uint64_t height, QImage::Format format) {
  if (!picture_size_allowed(width, height)) return std::nullopt;
  QImage image(static_cast<int>(width), static_cast<int>(height), format);
  if (image.isNull()) return std::nullopt;  // the allocation failed
  return image;
}

QRgb blend_over_white(QRgb colour, int alpha) {
  auto channel = [alpha](int value) { return (value * alpha + 255 * (255 - alpha) + 127) / 255; };
  return qRgb(channel(qRed(colour)), channel(qGreen(colour)), channel(qBlue(colour)));
}

std::optional<QImage> flatten_on_white(const QImage& image) {
  if (image.isNull()) return std::nullopt;
  const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
  std::optional<QImage> result = make_picture(static_cast<uint64_t>(straight.width()),
                                              static_cast<uint64_t>(straight.height()), QImage::Format_RGB32);
  if (straight.isNull() || !result) return std::nullopt;
  for (int y = 0; y < straight.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(result->scanLine(y));
    for (int x = 0; x < straight.width(); ++x) out[x] = blend_over_white(in[x], qAlpha(in[x]));
  }
  return result;
}

}  // namespace quorvant::ui::pictures
