#include "forms/artwork/icon_writer.h"

#include "forms/artwork/byte_writer.h"
#include "platform/little_endian.h"

namespace quorvant::forms::artwork {

namespace {

constexpr uint32_t kHeaderSize = 6;
constexpr uint32_t kEntrySize = 16;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint16_t kIconType = 1;

uint32_t image_size(const QImage& image) {
  const uint32_t height = static_cast<uint32_t>(image.height());
  return kInfoHeaderSize + dib_stride(image.width(), 32) * height + dib_stride(image.width(), 1) * height;
}

// The directory stores sizes in one byte; 0 stands for 256.
uint8_t size_byte(int pixels) { return pixels >= 256 ? 0 : static_cast<uint8_t>(pixels); }

void put_entry(std::vector<uint8_t>& out, const QImage& image, uint32_t offset) {
  out.push_back(size_byte(image.width()));
  out.push_back(size_byte(image.height()));
  out.push_back(0);               // no colour table
  out.push_back(0);               // reserved
  platform::append_le16(out, 1);  // planes
  platform::append_le16(out, 32);
  platform::append_le32(out, image_size(image));
  platform::append_le32(out, offset);
}

void put_image(std::vector<uint8_t>& out, const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int width = image.width();
  const int height = image.height();
  const uint32_t colour_bytes = dib_stride(width, 32) * static_cast<uint32_t>(height);
  const uint32_t mask_stride = dib_stride(width, 1);

  platform::append_le32(out, kInfoHeaderSize);
  platform::append_le32(out, static_cast<uint32_t>(width));
  platform::append_le32(out, static_cast<uint32_t>(height) * 2);  // colour rows, then mask rows
  platform::append_le16(out, 1);
  platform::append_le16(out, 32);
  platform::append_le32(out, 0);  // no compression
  platform::append_le32(out, colour_bytes + mask_stride * static_cast<uint32_t>(height));
  platform::append_le32(out, 0);
  platform::append_le32(out, 0);
  platform::append_le32(out, 0);
  platform::append_le32(out, 0);

  for (int y = height - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < width; ++x) {
      out.push_back(static_cast<uint8_t>(qBlue(row[x])));
      out.push_back(static_cast<uint8_t>(qGreen(row[x])));
      out.push_back(static_cast<uint8_t>(qRed(row[x])));
      out.push_back(static_cast<uint8_t>(qAlpha(row[x])));
    }
  }
  // Readers that ignore alpha use the mask: bits run from the most
  // significant one, and a set bit lets the background show.
  for (int y = height - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::vector<uint8_t> mask(mask_stride, 0);
    for (int x = 0; x < width; ++x) {
      if (qAlpha(row[x]) == 0) mask[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80u >> (x % 8));
    }
    out.insert(out.end(), mask.begin(), mask.end());
  }
}

}  // namespace

std::vector<uint8_t> encode_icon(std::span<const QImage> images) {
  std::vector<uint8_t> out;
  platform::append_le16(out, 0);  // reserved
  platform::append_le16(out, kIconType);
  platform::append_le16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = kHeaderSize + kEntrySize * static_cast<uint32_t>(images.size());
  for (const QImage& image : images) {
    put_entry(out, image, offset);
    offset += image_size(image);
  }
  for (const QImage& image : images) put_image(out, image);
  return out;
}

}  // namespace quorvant::forms::artwork
