// GIF pictures (GIF87a and GIF89a): the first image only, read with Qt's own
// GIF reader. Transparent pixels are drawn on white, like icons.
#include <limits>

#include <QByteArray>

#include "ui/pictures/picture_canvas.h"
#include "ui/pictures/picture_decoders.h"

namespace quorvant::ui::pictures {

std::optional<QImage> decode_gif(std::span<const uint8_t> bytes) {
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<qsizetype>::max())) return std::nullopt;
  const QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  // The reader stops after the first frame and applies its own allocation limit.
  return flatten_on_white(QImage::fromData(data, "GIF"));
}

}  // namespace quorvant::ui::pictures
