#include "engine/pcx/pcx_writer.h"

#include <vector>

#include "engine/byte_order.h"
#include "engine/pcx/pcx_layout.h"
#include "engine/pcx/pcx_run_length.h"

namespace quorvant::engine::pcx {

WriterNeeds PcxWriter::needs(const WriteSettings&) const {
  // xmax and ymax are 16-bit fields, and so is the even byte count of a
  // plane's line: 65535 pixels would need 65536 bytes.
  return sixteen_bit_sizes("PCX stores sizes in 16 bits", 65534);
}

bool PcxWriter::write_body(File& file, const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  const auto bytes_per_line = static_cast<uint16_t>((width + 1) & ~1);  // even; needs() keeps it in 16 bits

  uint8_t header[kHeaderSize] = {};
  header[kManufacturerAt] = kManufacturer;
  header[kVersionAt] = 5;
  header[kEncodingAt] = 1;  // run-length
  header[kBitsPerPlaneAt] = 8;
  store_le16(header + kXMaxAt, static_cast<uint16_t>(width - 1));
  store_le16(header + kYMaxAt, static_cast<uint16_t>(height - 1));
  store_le16(header + kHorizontalDpiAt, 300);
  store_le16(header + kVerticalDpiAt, 300);
  header[kPlanesAt] = 3;
  store_le16(header + kBytesPerLineAt, bytes_per_line);
  store_le16(header + kScreenWidthAt, 800);
  store_le16(header + kScreenHeightAt, 600);
  if (!file.seek(0) || !file.write_all(header, sizeof header)) return false;

  std::vector<uint8_t> line(3 * size_t{bytes_per_line}, 0);  // pad bytes of odd widths stay 0
  std::vector<uint8_t> encoded(max_encoded_size(line.size()));
  uint8_t* red = line.data();
  uint8_t* green = red + bytes_per_line;
  uint8_t* blue = green + bytes_per_line;
  for (int32_t y = 0; y < height; ++y) {
    if (!picture.rows_ready(y + 1)) return fail(kRowsNeverCame);
    const uint8_t* in = picture.row(y);
    for (int32_t x = 0; x < width; ++x, in += 3) {
      red[x] = in[0];
      green[x] = in[1];
      blue[x] = in[2];
    }
    const size_t used = encode_line(line, encoded.data());
    if (!file.write_all(encoded.data(), used)) return false;
    row_written(y);
  }
  return true;
}

}  // namespace quorvant::engine::pcx
