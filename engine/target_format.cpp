#include "engine/target_format.h"

#include <algorithm>
#include <cctype>

namespace quorvant::engine {

namespace {

constexpr TargetFormatName kFormats[] = {
    {TargetFormat::kJpg, "JPG", "jpg"}, {TargetFormat::kBmp, "BMP", "bmp"}, {TargetFormat::kPbm, "PBM", "pbm"},
    {TargetFormat::kPcx, "PCX", "pcx"}, {TargetFormat::kPgm, "PGM", "pgm"}, {TargetFormat::kPic, "PIC", "pic"},
    {TargetFormat::kPng, "PNG", "png"}, {TargetFormat::kPpm, "PPM", "ppm"}, {TargetFormat::kSgi, "SGI", "sgi"},
    {TargetFormat::kTif, "TIF", "tif"}, {TargetFormat::kWebp, "WEBP", "webp"}, {TargetFormat::kAvif, "AVIF", "avif"},
    {TargetFormat::kJxl, "JXL", "jxl"},
};

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::span<const TargetFormatName> target_formats() { return kFormats; }

std::span<const TargetFormatName> command_formats() {
  return target_formats().first(static_cast<size_t>(TargetFormat::kTif) + 1);
}

const TargetFormatName& describe(TargetFormat format) { return kFormats[static_cast<int>(format)]; }

std::optional<TargetFormat> parse_target_format(std::string_view name) {
  for (const TargetFormatName& f : kFormats) {
    if (equal_ignoring_case(f.name, name)) return f.format;
  }
  return std::nullopt;
}

}  // namespace quorvant::engine
