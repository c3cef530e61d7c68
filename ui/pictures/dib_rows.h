// Pixel rows of device-independent bitmaps, shared by BMP files and the
// bitmaps inside icons: 1, 4 and 8 bits index a colour table of 4-byte
// entries (blue, green, red, reserved); 24 and 32 bits hold blue, green, red
// and, for 32 bits, a fourth byte.
#pragma once

#include <cstdint>
#include <span>

#include <QImage>

namespace quorvant::ui::pictures {

// Bytes that hold one row's pixels, without padding. `width` is below 2^32,
// so the result cannot overflow.
inline uint64_t dib_row_bytes(uint64_t width, unsigned bits_per_pixel) { return (width * bits_per_pixel + 7) / 8; }

// The distance between rows: each row is padded to a multiple of 4 bytes.
inline uint64_t dib_row_stride(uint64_t width, unsigned bits_per_pixel) {
  return (dib_row_bytes(width, bits_per_pixel) + 3) / 4 * 4;
}

// Converts `width` pixels of `row` (which holds at least dib_row_bytes bytes)
// to opaque colours. Indices beyond the colour table give black.
void decode_dib_row(const uint8_t* row, int width, unsigned bits_per_pixel, std::span<const uint8_t> colour_table,
                    QRgb* out);

}  // namespace quorvant::ui::pictures
