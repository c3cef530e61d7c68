// The 128-byte PCX header. All 16-bit fields are little-endian.
#pragma once

#include <cstdint>

namespace quorvant::engine::pcx {

inline constexpr uint32_t kHeaderSize = 128;
inline constexpr uint32_t kPaletteSize = 768;  // the trailer of 8-bit files: 256 x red, green, blue
inline constexpr uint8_t kManufacturer = 10;

inline constexpr int kManufacturerAt = 0;
inline constexpr int kVersionAt = 1;
inline constexpr int kEncodingAt = 2;
inline constexpr int kBitsPerPlaneAt = 3;
inline constexpr int kXMinAt = 4;
inline constexpr int kYMinAt = 6;
inline constexpr int kXMaxAt = 8;
inline constexpr int kYMaxAt = 10;
inline constexpr int kHorizontalDpiAt = 12;
inline constexpr int kVerticalDpiAt = 14;
inline constexpr int kPlanesAt = 65;
inline constexpr int kBytesPerLineAt = 66;
inline constexpr int kScreenWidthAt = 70;
inline constexpr int kScreenHeightAt = 72;

}  // namespace quorvant::engine::pcx
