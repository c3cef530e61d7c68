#include "ui/pictures/dib_rows.h"

namespace quorvant::ui::pictures {

namespace {

QRgb table_colour(std::span<const uint8_t> colour_table, unsigned index) {
  const size_t at = static_cast<size_t>(index) * 4;
  if (at + 4 > colour_table.size()) return qRgb(0, 0, 0);
  return qRgb(colour_table[at + 2], colour_table[at + 1], colour_table[at]);
}

}  // namespace

void decode_dib_row(const uint8_t* row, int width, unsigned bits_per_pixel, std::span<const uint8_t> colour_table,
                    QRgb* out) {
  if (bits_per_pixel >= 24) {
    const unsigned step = bits_per_pixel / 8;
    for (int x = 0; x < width; ++x, row += step) out[x] = qRgb(row[2], row[1], row[0]);
    return;
  }
  // Indexed pixels fill each byte from its most significant bits down.
  const unsigned mask = (1u << bits_per_pixel) - 1;
  for (int x = 0; x < width; ++x) {
    const uint64_t bit = static_cast<uint64_t>(x) * bits_per_pixel;
    const unsigned shift = 8 - bits_per_pixel - static_cast<unsigned>(bit % 8);
    out[x] = table_colour(colour_table, (row[bit / 8] >> shift) & mask);
  }
}

}  // namespace quorvant::ui::pictures
