// Little-endian fields, as BMP and icon files store them.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvant::forms::artwork {

inline void put_le16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void put_le32(std::vector<uint8_t>& out, uint32_t value) {
  put_le16(out, value & 0xFFFFu);
  put_le16(out, value >> 16);
}

// Pixel rows of device-independent bitmaps are padded to whole 4-byte words.
inline uint32_t dib_stride(int width, int bits_per_pixel) {
  return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bits_per_pixel) + 31) / 32 * 4;
}

}  // namespace quorvant::forms::artwork
