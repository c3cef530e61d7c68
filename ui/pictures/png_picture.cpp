// PNG images, as icons hold them, through libpng's simplified reading
// interface: it keeps its errors and warnings in the image record instead of
// printing them, and jumps nowhere outside the library.
#include <png.h>

#include "ui/pictures/picture_canvas.h"
#include "ui/pictures/picture_decoders.h"

namespace quorvant::ui::pictures {

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "PNG_FORMAT_BGRA is Format_ARGB32 only on little-endian machines");

namespace {

// Frees what the library allocated, however the reading ends.
struct PngReading {
  PngReading() { image.version = PNG_IMAGE_VERSION; }
  ~PngReading() { png_image_free(&image); }
  PngReading(const PngReading&) = delete;
  PngReading& operator=(const PngReading&) = delete;
  png_image image{};
};

}  // namespace

std::optional<QImage> decode_png(std::span<const uint8_t> bytes) {
  PngReading reading;
  if (png_image_begin_read_from_memory(&reading.image, bytes.data(), bytes.size()) == 0) return std::nullopt;
  // Blue, green, red, alpha bytes are Format_ARGB32's pixels in memory on
  // the little-endian machines this runs on.
  reading.image.format = PNG_FORMAT_BGRA;
  std::optional<QImage> picture = make_picture(reading.image.width, reading.image.height, QImage::Format_ARGB32);
  if (!picture) return std::nullopt;
  const auto stride = static_cast<png_int_32>(picture->bytesPerLine());
  if (png_image_finish_read(&reading.image, nullptr, picture->bits(), stride, nullptr) == 0) return std::nullopt;
  return picture;
}

}  // namespace quorvant::ui::pictures
