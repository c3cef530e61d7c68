// Icon and cursor files: a 6-byte header, 16-byte directory entries, and the
// images the entries point to, each a bitmap or a PNG file.
#include <algorithm>

#include "platform/little_endian.h"
#include "ui/pictures/icon_bitmap.h"
#include "ui/pictures/picture_canvas.h"
#include "ui/pictures/picture_decoders.h"
#include "ui/pictures/picture_decoding.h"

namespace quorvant::ui::pictures {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
constexpr size_t kCountField = 4;
constexpr size_t kEntryWidth = 0;
constexpr size_t kEntryColourCount = 2;
constexpr size_t kEntryHotSpotX = 4;
constexpr size_t kEntryHotSpotY = 6;
constexpr size_t kEntryDataSize = 8;
constexpr size_t kEntryDataOffset = 12;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The entry to show: the first 32-pixel image with at least 16 colours, or
// else the last one. True-colour entries give 0 colours, so for an icon of
// only those the last image is taken. Nothing when the directory is cut short.
std::optional<size_t> choose_entry(std::span<const uint8_t> bytes, size_t count) {
  std::optional<size_t> chosen;
  for (size_t index = 0; index < count; ++index) {
    const size_t entry = kHeaderSize + kEntrySize * index;
    if (entry + kEntrySize > bytes.size()) return std::nullopt;
    chosen = entry;
    if (bytes[entry + kEntryWidth] == 32 && bytes[entry + kEntryColourCount] > 15) break;
  }
  return chosen;
}

bool is_png(std::span<const uint8_t> image) {
  if (image.size() < sizeof kPngSignature) return false;
  for (size_t i = 0; i < sizeof kPngSignature; ++i) {
    if (image[i] != kPngSignature[i]) return false;
  }
  return true;
}

// One image of the file with its own transparency (Format_ARGB32).
std::optional<QImage> decode_icon_entry(std::span<const uint8_t> bytes, size_t entry) {
  const uint32_t size = platform::read_le32(bytes, entry + kEntryDataSize);
  const uint32_t offset = platform::read_le32(bytes, entry + kEntryDataOffset);
  if (offset > bytes.size() || size > bytes.size() - offset) return std::nullopt;
  const std::span<const uint8_t> image = bytes.subspan(offset, size);
  return is_png(image) ? decode_png(image) : decode_icon_bitmap(image);
}

std::optional<QImage> on_white(const std::optional<QImage>& image) {
  return image ? flatten_on_white(*image) : std::nullopt;
}

}  // namespace

std::optional<QImage> decode_icon(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  const size_t count = platform::read_le16(bytes, kCountField);
  if (count == 0) return std::nullopt;
  const std::optional<size_t> entry = choose_entry(bytes, count);
  if (!entry) return std::nullopt;
  return on_white(decode_icon_entry(bytes, *entry));
}

std::vector<QImage> decode_icon_images(std::span<const uint8_t> bytes) {
  std::vector<QImage> images;
  if (detect_kind(bytes) != PictureKind::kIcon) return images;
  const size_t count = platform::read_le16(bytes, kCountField);
  for (size_t index = 0; index < count; ++index) {
    const size_t entry = kHeaderSize + kEntrySize * index;
    if (entry + kEntrySize > bytes.size()) break;
    if (auto image = on_white(decode_icon_entry(bytes, entry))) images.push_back(std::move(*image));
  }
  return images;
}

std::optional<CursorImage> decode_cursor(std::span<const uint8_t> bytes) {
  const PictureKind kind = detect_kind(bytes);
  if (kind != PictureKind::kIcon && kind != PictureKind::kCursor) return std::nullopt;
  const std::optional<size_t> entry = choose_entry(bytes, platform::read_le16(bytes, kCountField));
  if (!entry) return std::nullopt;
  std::optional<QImage> image = decode_icon_entry(bytes, *entry);
  if (!image) return std::nullopt;
  // A cursor's entry holds its hot spot where an icon's holds its planes
  // and bit count; an icon used as a pointer points with its centre.
  QPoint hot_spot(image->width() / 2, image->height() / 2);
  if (kind == PictureKind::kCursor) {
    hot_spot = QPoint(std::min<int>(platform::read_le16(bytes, *entry + kEntryHotSpotX), image->width() - 1),
                      std::min<int>(platform::read_le16(bytes, *entry + kEntryHotSpotY), image->height() - 1));
  }
  return CursorImage{std::move(*image), hot_spot};
}

}  // namespace quorvant::ui::pictures
