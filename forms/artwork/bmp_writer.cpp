#include "forms/artwork/bmp_writer.h"

#include "forms/artwork/byte_writer.h"
#include "forms/artwork/palette.h"
#include "platform/little_endian.h"

namespace quorvant::forms::artwork {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put_headers(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t colours) {
  const uint32_t pixel_bytes = dib_stride(width, bits) * static_cast<uint32_t>(height);
  const uint32_t pixel_offset = kFileHeaderSize + kInfoHeaderSize + colours * 4;
  out.reserve(pixel_offset + pixel_bytes);

  out.push_back('B');
  out.push_back('M');
  platform::append_le32(out, pixel_offset + pixel_bytes);
  platform::append_le32(out, 0);  // two reserved words
  platform::append_le32(out, pixel_offset);

  platform::append_le32(out, kInfoHeaderSize);
  platform::append_le32(out, static_cast<uint32_t>(width));
  platform::append_le32(out, static_cast<uint32_t>(height));  // positive: the bottom row comes first
  platform::append_le16(out, 1);                              // planes
  platform::append_le16(out, static_cast<uint32_t>(bits));
  platform::append_le32(out, 0);  // no compression
  platform::append_le32(out, pixel_bytes);
  platform::append_le32(out, kPixelsPerMetre);
  platform::append_le32(out, kPixelsPerMetre);
  platform::append_le32(out, colours);
  platform::append_le32(out, 0);  // every colour is important
}

void pad_row(std::vector<uint8_t>& out, uint32_t written, uint32_t stride) {
  for (; written < stride; ++written) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> encode_bmp24(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const int width = rgb.width();
  const int height = rgb.height();
  const uint32_t stride = dib_stride(width, 24);
  std::vector<uint8_t> out;
  put_headers(out, width, height, 24, 0);
  for (int y = height - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      out.push_back(static_cast<uint8_t>(qBlue(row[x])));
      out.push_back(static_cast<uint8_t>(qGreen(row[x])));
      out.push_back(static_cast<uint8_t>(qRed(row[x])));
    }
    pad_row(out, static_cast<uint32_t>(width) * 3, stride);
  }
  return out;
}

std::vector<uint8_t> encode_bmp8(const QImage& image) {
  const IndexedImage indexed = index_colours(image);
  const uint32_t stride = dib_stride(indexed.width, 8);
  std::vector<uint8_t> out;
  put_headers(out, indexed.width, indexed.height, 8, static_cast<uint32_t>(indexed.palette.size()));
  for (const QRgb colour : indexed.palette) {
    out.push_back(static_cast<uint8_t>(qBlue(colour)));
    out.push_back(static_cast<uint8_t>(qGreen(colour)));
    out.push_back(static_cast<uint8_t>(qRed(colour)));
    out.push_back(0);
  }
  const size_t width = static_cast<size_t>(indexed.width);
  for (int y = indexed.height - 1; y >= 0; --y) {
    const auto row = indexed.indices.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * width);
    out.insert(out.end(), row, row + static_cast<std::ptrdiff_t>(width));
    pad_row(out, static_cast<uint32_t>(width), stride);
  }
  return out;
}

}  // namespace quorvant::forms::artwork
