// What the BMP and icon writers share.
#pragma once

#include <cstdint>

namespace quorvant::forms::artwork {

// Pixel rows of device-independent bitmaps are padded to whole 4-byte words.
inline uint32_t dib_stride(int width, int bits_per_pixel) {
  return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bits_per_pixel) + 31) / 32 * 4;
}

}  // namespace quorvant::forms::artwork
