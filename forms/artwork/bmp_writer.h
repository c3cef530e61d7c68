// BMP files: a 14-byte file header, a 40-byte information header, for 8 bits
// a colour table of 4-byte entries (blue, green, red, 0), then uncompressed
// pixel rows stored bottom-up, each padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

#include <QImage>

namespace quorvant::forms::artwork {

// 24 bits per pixel; alpha is ignored.
std::vector<uint8_t> encode_bmp24(const QImage& image);

// 8 bits per pixel with a colour table of the picture's colours (see
// index_colours); the table lists only the entries used.
std::vector<uint8_t> encode_bmp8(const QImage& image);

}  // namespace quorvant::forms::artwork
