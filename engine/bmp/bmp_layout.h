// The parts of the Windows bitmap layout that the reader and writer share.
// All numbers are little-endian.
#pragma once

#include <cstdint>

namespace quorvant::engine::bmp {

inline constexpr uint32_t kFileHeaderSize = 14;  // signature, file size, reserved, pixel offset
inline constexpr uint32_t kInfoHeaderSize = 40;  // the Windows header
inline constexpr uint32_t kCoreHeaderSize = 12;  // the short OS/2 header
inline constexpr uint32_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize;

// Offsets inside the file header.
inline constexpr int kFileSizeAt = 2;
inline constexpr int kPixelOffsetAt = 10;

// Offsets inside the information header.
inline constexpr int kHeaderSizeAt = 0;
inline constexpr int kWidthAt = 4;
inline constexpr int kHeightAt = 8;
inline constexpr int kPlanesAt = 12;
inline constexpr int kBitsAt = 14;
inline constexpr int kCompressionAt = 16;
// The short header keeps 16-bit fields.
inline constexpr int kCoreWidthAt = 4;
inline constexpr int kCoreHeightAt = 6;
inline constexpr int kCoreBitsAt = 10;

// Each stored row of 24-bit pixels is padded to a multiple of 4 bytes.
constexpr uint64_t row_size(uint64_t width) { return (3 * width + 3) & ~uint64_t{3}; }

// Bitmaps store pixels blue, green, red; pictures in memory hold red, green,
// blue. The same swap turns either into the other.
inline void copy_swapping_red_and_blue(const uint8_t* from, uint8_t* to, int32_t pixels) {
  for (int32_t x = 0; x < pixels; ++x, from += 3, to += 3) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
  }
}

}  // namespace quorvant::engine::bmp
