#include "ui/pictures/icon_bitmap.h"

#include <vector>

#include "platform/little_endian.h"
#include "ui/pictures/dib_rows.h"
#include "ui/pictures/picture_canvas.h"

namespace quorvant::ui::pictures {

namespace {

constexpr size_t kMinHeaderSize = 40;
constexpr size_t kWidthField = 4;
constexpr size_t kHeightField = 8;
constexpr size_t kBitCountField = 14;
constexpr size_t kCompressionField = 16;
constexpr size_t kColoursUsedField = 32;

bool supported_bit_count(unsigned bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

// A 32-bit image whose fourth bytes are all zero carries no alpha channel;
// the mask alone then says which pixels are transparent.
bool has_alpha(std::span<const uint8_t> colour_rows) {
  for (size_t at = 3; at < colour_rows.size(); at += 4) {
    if (colour_rows[at] != 0) return true;
  }
  return false;
}

}  // namespace

std::optional<QImage> decode_icon_bitmap(std::span<const uint8_t> image) {
  if (image.size() < kMinHeaderSize) return std::nullopt;
  const uint32_t header_size = platform::read_le32(image, 0);
  const int32_t width = platform::read_le32_signed(image, kWidthField);
  const int32_t height_field = platform::read_le32_signed(image, kHeightField);
  const unsigned bits = platform::read_le16(image, kBitCountField);
  if (header_size < kMinHeaderSize || header_size > image.size()) return std::nullopt;
  if (width <= 0 || height_field <= 0 || !supported_bit_count(bits)) return std::nullopt;
  if (platform::read_le32(image, kCompressionField) != 0) return std::nullopt;
  const uint64_t height = static_cast<uint64_t>(height_field) / 2;
  if (!picture_size_allowed(static_cast<uint64_t>(width), height)) return std::nullopt;

  // As in every bitmap, a non-zero colours-used field sizes the table, which
  // a bitmap of more than 8 bits has only when that field asks for it.
  const uint32_t colours_used = platform::read_le32(image, kColoursUsedField);
  const uint64_t colours = colours_used != 0 ? colours_used : (bits <= 8 ? uint64_t{1} << bits : 0);
  if (colours > (image.size() - header_size) / 4) return std::nullopt;
  const std::span<const uint8_t> colour_table = image.subspan(header_size, static_cast<size_t>(colours * 4));

  const uint64_t colour_stride = dib_row_stride(static_cast<uint64_t>(width), bits);
  const uint64_t mask_stride = dib_row_stride(static_cast<uint64_t>(width), 1);
  const uint64_t colour_start = header_size + colour_table.size();
  const uint64_t mask_start = colour_start + colour_stride * height;
  if (mask_start + mask_stride * height > image.size()) return std::nullopt;
  const std::span<const uint8_t> colour_rows =
      image.subspan(static_cast<size_t>(colour_start), static_cast<size_t>(colour_stride * height));
  const bool blend_alpha = bits == 32 && has_alpha(colour_rows);

  std::optional<QImage> result = make_picture(static_cast<uint64_t>(width), height, QImage::Format_ARGB32);
  if (!result) return std::nullopt;
  const int rows = result->height();
  std::vector<QRgb> colours_of_row(static_cast<size_t>(width));
  for (int stored = 0; stored < rows; ++stored) {
    const uint8_t* colour_row = colour_rows.data() + colour_stride * static_cast<uint64_t>(stored);
    const uint8_t* mask_row = image.data() + mask_start + mask_stride * static_cast<uint64_t>(stored);
    decode_dib_row(colour_row, width, bits, colour_table, colours_of_row.data());
    auto* out = reinterpret_cast<QRgb*>(result->scanLine(rows - 1 - stored));
    for (int x = 0; x < width; ++x) {
      const QRgb colour = colours_of_row[static_cast<size_t>(x)];
      if (blend_alpha) {
        out[x] = qRgba(qRed(colour), qGreen(colour), qBlue(colour), colour_row[x * 4 + 3]);
        continue;
      }
      // Drawing an icon ANDs the mask into the background and XORs the
      // colours over it: a masked pixel leaves the background, inverted by
      // its colour unless that is black.
      const bool masked = (mask_row[x / 8] >> (7 - x % 8)) & 1;
      if (!masked) {
        out[x] = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
      } else if ((colour & 0xFFFFFF) == 0) {
        out[x] = qRgba(0, 0, 0, 0);
      } else {
        out[x] = qRgb(255 - qRed(colour), 255 - qGreen(colour), 255 - qBlue(colour));
      }
    }
  }
  return result;
}

}  // namespace quorvant::ui::pictures
