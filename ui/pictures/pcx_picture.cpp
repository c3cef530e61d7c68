// PCX pictures of one plane: 8 bits per pixel with the 256-colour palette at
// the end of the file, and 1 bit per pixel shown black and white.
#include <algorithm>
#include <vector>

#include "platform/little_endian.h"
#include "ui/pictures/pcx_runs.h"
#include "ui/pictures/picture_canvas.h"
#include "ui/pictures/picture_decoders.h"

namespace quorvant::ui::pictures {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kXMinField = 4;
constexpr size_t kYMinField = 6;
constexpr size_t kXMaxField = 8;
constexpr size_t kYMaxField = 10;
constexpr size_t kPlanesField = 65;
constexpr size_t kBytesPerLineField = 66;
// The palette trailer: a 12 byte, then 256 red, green, blue triples.
constexpr uint8_t kPaletteMarker = 12;
constexpr size_t kPaletteTrailerSize = 1 + 256 * 3;

struct PcxLayout {
  uint64_t width = 0;
  uint64_t height = 0;
  size_t bytes_per_line = 0;
};

// The picture's size and row length, checked against each other and against
// the run-length data before anything is allocated for them.
std::optional<PcxLayout> read_layout(std::span<const uint8_t> bytes, std::span<const uint8_t> encoded,
                                     unsigned bits_per_pixel) {
  if (bytes.size() < kHeaderSize || bytes[kPlanesField] != 1) return std::nullopt;
  const uint16_t x_min = platform::read_le16(bytes, kXMinField);
  const uint16_t y_min = platform::read_le16(bytes, kYMinField);
  const uint16_t x_max = platform::read_le16(bytes, kXMaxField);
  const uint16_t y_max = platform::read_le16(bytes, kYMaxField);
  if (x_max < x_min || y_max < y_min) return std::nullopt;
  PcxLayout layout{uint64_t{x_max} - x_min + 1, uint64_t{y_max} - y_min + 1,
                   platform::read_le16(bytes, kBytesPerLineField)};
  if (!picture_size_allowed(layout.width, layout.height)) return std::nullopt;
  if (layout.bytes_per_line < (layout.width * bits_per_pixel + 7) / 8) return std::nullopt;
  if (!PcxRuns(encoded).skip(layout.bytes_per_line * layout.height)) return std::nullopt;
  return layout;
}

}  // namespace

std::optional<QImage> decode_pcx8(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize + kPaletteTrailerSize) return std::nullopt;
  const size_t trailer = bytes.size() - kPaletteTrailerSize;
  if (bytes[trailer] != kPaletteMarker) return std::nullopt;
  const std::span<const uint8_t> palette = bytes.subspan(trailer + 1);
  const std::span<const uint8_t> encoded = bytes.subspan(kHeaderSize, trailer - kHeaderSize);

  const std::optional<PcxLayout> layout = read_layout(bytes, encoded, 8);
  if (!layout) return std::nullopt;
  std::optional<QImage> image = make_picture(layout->width, layout->height, QImage::Format_RGB32);
  if (!image) return std::nullopt;
  std::vector<uint8_t> row(layout->bytes_per_line);
  PcxRuns runs(encoded);
  for (int y = 0; y < image->height(); ++y) {
    if (!runs.read(row)) return std::nullopt;
    auto* out = reinterpret_cast<QRgb*>(image->scanLine(y));
    for (int x = 0; x < image->width(); ++x) {
      const size_t entry = size_t{row[static_cast<size_t>(x)]} * 3;
      out[x] = qRgb(palette[entry], palette[entry + 1], palette[entry + 2]);
    }
  }
  return image;
}

std::optional<QImage> decode_pcx1(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  const std::span<const uint8_t> encoded = bytes.subspan(kHeaderSize);
  const std::optional<PcxLayout> layout = read_layout(bytes, encoded, 1);
  if (!layout) return std::nullopt;
  std::optional<QImage> image = make_picture(layout->width, layout->height, QImage::Format_Mono);
  if (!image) return std::nullopt;
  // Shown as a monochrome bitmap is: clear bits black, set bits white.
  image->setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  std::vector<uint8_t> row(layout->bytes_per_line);
  const size_t used = static_cast<size_t>((layout->width + 7) / 8);
  PcxRuns runs(encoded);
  for (int y = 0; y < image->height(); ++y) {
    if (!runs.read(row)) return std::nullopt;
    std::copy_n(row.begin(), used, image->scanLine(y));
  }
  return image;
}

}  // namespace quorvant::ui::pictures
