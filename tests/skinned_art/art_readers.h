// Reading the generated pictures back: header fields straight from the
// bytes, pixels through independent readers (netpbm, ImageMagick).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace quorvant::testing {

uint32_t le16_at(const std::vector<uint8_t>& bytes, size_t at);
uint32_t le32_at(const std::vector<uint8_t>& bytes, size_t at);

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const Rgb&) const = default;
  int luma() const { return (r * 299 + g * 587 + b * 114) / 1000; }
};

// A BMP file decoded by netpbm's bmptopnm, with the bit depth bmptopnm
// reports for the raster.
struct DecodedBmp {
  Pnm pnm;
  int bits_per_pixel = 0;
  Rgb at(int x, int y) const;
};
DecodedBmp decode_bmp_with_netpbm(const std::vector<uint8_t>& file);

// ImageMagick's `identify` with a format string, one line per image.
std::string identify(const std::vector<uint8_t>& file, const std::string& suffix, const std::string& format);

// One image of a multi-image file as ImageMagick decodes it: RGBA, top row first.
std::vector<uint8_t> imagemagick_rgba(const std::vector<uint8_t>& file, const std::string& suffix, int index);

}  // namespace quorvant::testing
