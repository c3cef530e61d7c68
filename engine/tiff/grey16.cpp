#include "engine/tiff/grey16.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorvant::engine::tiff {

namespace {

uint32_t to_8_bits(uint16_t value) { return (uint32_t{value} * 255 + 32767) / 65535; }

}  // namespace

void put_grey16(TIFFRGBAImage* image, uint32_t* out, uint32_t, uint32_t, uint32_t width, uint32_t height,
                int32_t from_skew, int32_t to_skew, unsigned char* in) {
  // libtiff has put the samples in the machine's byte order.
  const size_t pixel_bytes = size_t{2} * image->samplesperpixel;
  const bool white_is_zero = image->photometric == PHOTOMETRIC_MINISWHITE;
  const bool alpha = image->alpha != 0 && image->samplesperpixel > 1;
  const auto skipped = static_cast<ptrdiff_t>(from_skew) * static_cast<ptrdiff_t>(pixel_bytes);
  for (uint32_t row = 0; row < height; ++row) {
    for (uint32_t x = 0; x < width; ++x, in += pixel_bytes) {
      uint16_t samples[2] = {0, 0xFFFF};
      std::memcpy(samples, in, alpha ? 4 : 2);
      const uint32_t grey = to_8_bits(white_is_zero ? static_cast<uint16_t>(0xFFFF - samples[0]) : samples[0]);
      *out++ = grey | grey << 8 | grey << 16 | to_8_bits(samples[1]) << 24;
    }
    out += to_skew;
    in += skipped;
  }
}

}  // namespace quorvant::engine::tiff
