#include <cstring>

#include "platform/little_endian.h"
#include "ui/pictures/picture_decoding.h"

namespace quorvant::ui::pictures {

PictureKind detect_kind(std::span<const uint8_t> bytes) {
  if (bytes.size() < 6) return PictureKind::kNone;
  // The order matters: a file is the first kind whose test it passes.
  if (bytes[0] == 'B' && bytes[1] == 'M') return PictureKind::kBmp;
  if (bytes[0] == 0xFF && bytes[1] == 0xD8) return PictureKind::kJpeg;
  const uint16_t reserved = platform::read_le16(bytes, 0);
  const uint16_t type = platform::read_le16(bytes, 2);
  const uint16_t image_count = platform::read_le16(bytes, 4);
  if (reserved == 0 && image_count > 0) {
    if (type == 1) return PictureKind::kIcon;
    if (type == 2) return PictureKind::kCursor;
  }
  if (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0) {
    return PictureKind::kGif;
  }
  if (bytes[0] == 10) {
    const uint8_t version = bytes[1];
    const uint8_t encoding = bytes[2];
    const uint8_t bits_per_pixel = bytes[3];
    if (version <= 5 && encoding == 1 && bits_per_pixel == 8) return PictureKind::kPcx8;
    if (version == 3 && encoding == 1 && bits_per_pixel == 1) return PictureKind::kPcx1;
  }
  return PictureKind::kNone;
}

}  // namespace quorvant::ui::pictures
