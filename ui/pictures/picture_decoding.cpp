#include "ui/pictures/picture_decoding.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "ui/pictures/picture_decoders.h"

namespace quorvant::ui::pictures {

namespace {

// Far more than any picture within the decoders' size bounds needs; larger
// files are no picture rather than a reason to fill the memory.
constexpr uintmax_t kMaxFileSize = uintmax_t{1} << 30;

}  // namespace

std::optional<QImage> decode_picture(std::span<const uint8_t> bytes) {
  switch (detect_kind(bytes)) {
    case PictureKind::kBmp:
      return decode_bmp(bytes);
    case PictureKind::kJpeg:
      return decode_jpeg(bytes);
    case PictureKind::kIcon:
    case PictureKind::kCursor:
      return decode_icon(bytes);
    case PictureKind::kGif:
      return decode_gif(bytes);
    case PictureKind::kPcx8:
      return decode_pcx8(bytes);
    case PictureKind::kPcx1:
      return decode_pcx1(bytes);
    case PictureKind::kNone:
      break;
  }
  return std::nullopt;
}

std::optional<QImage> decode_picture_file(const std::string& path) {
  // Only regular files: a pipe or a device could block or never end.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileSize) return std::nullopt;

  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!file || !file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    return std::nullopt;
  }
  return decode_picture(bytes);
}

}  // namespace quorvant::ui::pictures
