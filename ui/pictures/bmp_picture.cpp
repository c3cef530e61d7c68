// BMP files with the 14-byte file header and the 40-byte information header,
// uncompressed, with 1, 4, 8, 24 or 32 bits per pixel.
#include <cstdlib>

#include "platform/little_endian.h"
#include "ui/pictures/dib_rows.h"
#include "ui/pictures/picture_canvas.h"
#include "ui/pictures/picture_decoders.h"

namespace quorvant::ui::pictures {

namespace {

constexpr size_t kHeadersSize = 54;
constexpr size_t kDataOffsetField = 10;
constexpr size_t kWidthField = 18;
constexpr size_t kHeightField = 22;
constexpr size_t kBitCountField = 28;
constexpr size_t kCompressionField = 30;
constexpr size_t kColoursUsedField = 46;

}  // namespace

std::optional<QImage> decode_bmp(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeadersSize) return std::nullopt;
  if (platform::read_le32(bytes, kCompressionField) != 0) return std::nullopt;

  // The colour table, when there is one, directly follows the two headers
  // whatever the information header says its own size is.
  const unsigned bits = platform::read_le16(bytes, kBitCountField);
  size_t position = kHeadersSize;
  std::span<const uint8_t> colour_table;
  if (bits == 1 || bits == 4 || bits == 8) {
    const uint32_t colours_used = platform::read_le32(bytes, kColoursUsedField);
    const uint64_t colours = colours_used != 0 ? colours_used : uint64_t{1} << bits;
    if (colours > (bytes.size() - position) / 4) return std::nullopt;
    colour_table = bytes.subspan(position, static_cast<size_t>(colours * 4));
    position += colour_table.size();
  } else if (bits != 24 && bits != 32) {
    return std::nullopt;
  }

  const uint32_t data_offset = platform::read_le32(bytes, kDataOffsetField);
  if (data_offset < position || data_offset > bytes.size()) return std::nullopt;
  position = data_offset;

  // A negative height would mean rows stored top row first; the sign is
  // ignored and the first stored row is always the bottom one.
  const uint64_t width = static_cast<uint64_t>(std::llabs(platform::read_le32_signed(bytes, kWidthField)));
  const uint64_t height = static_cast<uint64_t>(std::llabs(platform::read_le32_signed(bytes, kHeightField)));
  if (!picture_size_allowed(width, height)) return std::nullopt;

  // Padding is counted from the start of the pixel data; the last row's
  // padding need not be present since nothing is read from it.
  const uint64_t stride = dib_row_stride(width, bits);
  const uint64_t needed = stride * (height - 1) + dib_row_bytes(width, bits);
  if (needed > bytes.size() - position) return std::nullopt;

  std::optional<QImage> image = make_picture(width, height, QImage::Format_RGB32);
  if (!image) return std::nullopt;
  const int rows = image->height();
  for (int stored = 0; stored < rows; ++stored) {
    const uint8_t* row = bytes.data() + position + static_cast<size_t>(stride) * static_cast<size_t>(stored);
    decode_dib_row(row, image->width(), bits, colour_table,
                   reinterpret_cast<QRgb*>(image->scanLine(rows - 1 - stored)));
  }
  return image;
}

}  // namespace quorvant::ui::pictures
