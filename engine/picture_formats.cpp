#include "engine/picture_formats.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace quorvant::engine {

namespace {


constexpr std::string_view kJpegExtensions[] = {"jpg", "jpeg", "jpe"};
constexpr std::string_view kJpegTypes[] = {"image/jpeg"};
constexpr std::string_view kBmpExtensions[] = {"bmp"};
constexpr std::string_view kBmpTypes[] = {"image/bmp"};
constexpr std::string_view kTiffExtensions[] = {"tif", "tiff"};
constexpr std::string_view kTiffTypes[] = {"image/tiff"};
constexpr std::string_view kPngExtensions[] = {"png"};
constexpr std::string_view kPngTypes[] = {"image/png"};
constexpr std::string_view kPcxExtensions[] = {"pcx"};
constexpr std::string_view kPcxTypes[] = {"image/vnd.zbrush.pcx", "image/x-pcx"};
constexpr std::string_view kPhotoCdExtensions[] = {"pcd"};
constexpr std::string_view kPhotoCdTypes[] = {"image/x-photo-cd"};
constexpr std::string_view kWebpExtensions[] = {"webp"};
constexpr std::string_view kWebpTypes[] = {"image/webp"};
constexpr std::string_view kAvifExtensions[] = {"avif"};
constexpr std::string_view kAvifTypes[] = {"image/avif"};
constexpr std::string_view kHeicExtensions[] = {"heic", "heif"};
constexpr std::string_view kHeicTypes[] = {"image/heic", "image/heif"};
constexpr std::string_view kGifExtensions[] = {"gif"};
constexpr std::string_view kGifTypes[] = {"image/gif"};
constexpr std::string_view kJxlExtensions[] = {"jxl"};
constexpr std::string_view kJxlTypes[] = {"image/jxl"};
constexpr std::string_view kPbmExtensions[] = {"pbm"};
constexpr std::string_view kPbmTypes[] = {"image/x-portable-bitmap"};
constexpr std::string_view kPgmExtensions[] = {"pgm"};
constexpr std::string_view kPgmTypes[] = {"image/x-portable-graymap"};
constexpr std::string_view kPpmExtensions[] = {"ppm"};
constexpr std::string_view kPpmTypes[] = {"image/x-portable-pixmap"};
constexpr std::string_view kPicExtensions[] = {"pic"};
constexpr std::string_view kPicTypes[] = {"image/x-softimage-pic"};
constexpr std::string_view kSgiExtensions[] = {"sgi"};
constexpr std::string_view kSgiTypes[] = {"image/x-sgi"};

// The window's six first, in its loader's order; then what the command line
// alone reads; then what is only written.
constexpr PictureFormat kFormats[] = {
    {"JPEG", kJpegExtensions, kJpegTypes, true, true, TargetFormat::kJpg},
    {"BMP", kBmpExtensions, kBmpTypes, true, true, TargetFormat::kBmp},
    {"TIFF", kTiffExtensions, kTiffTypes, true, true, TargetFormat::kTif},
    {"PNG", kPngExtensions, kPngTypes, true, true, TargetFormat::kPng},
    {"PCX", kPcxExtensions, kPcxTypes, true, true, TargetFormat::kPcx},
    {"PhotoCD", kPhotoCdExtensions, kPhotoCdTypes, true, true, std::nullopt},
    {"WebP", kWebpExtensions, kWebpTypes, false, true, TargetFormat::kWebp},
    {"AVIF", kAvifExtensions, kAvifTypes, false, true, TargetFormat::kAvif},
    {"HEIC", kHeicExtensions, kHeicTypes, false, true, std::nullopt},
    {"GIF", kGifExtensions, kGifTypes, false, true, std::nullopt},
    {"JPEG XL", kJxlExtensions, kJxlTypes, false, true, TargetFormat::kJxl},
    {"PBM", kPbmExtensions, kPbmTypes, false, false, TargetFormat::kPbm},
    {"PGM", kPgmExtensions, kPgmTypes, false, false, TargetFormat::kPgm},
    {"PPM", kPpmExtensions, kPpmTypes, false, false, TargetFormat::kPpm},
    {"PIC", kPicExtensions, kPicTypes, false, false, TargetFormat::kPic},
    {"SGI", kSgiExtensions, kSgiTypes, false, false, TargetFormat::kSgi},
};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

std::span<const PictureFormat> picture_formats() { return kFormats; }

bool has_readable_extension(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::string extension = lower(file_name.substr(dot + 1));
  return std::any_of(std::begin(kFormats), std::end(kFormats), [&](const PictureFormat& format) {
    return format.read && std::find(format.extensions.begin(), format.extensions.end(), extension) !=
                              format.extensions.end();
  });
}

}  // namespace quorvant::engine
