#include "engine/sgi/sgi_writer.h"

#include <cstring>
#include <vector>

#include "engine/bottom_up_blocks.h"
#include "engine/byte_order.h"

namespace quorvant::engine::sgi {

namespace {

constexpr size_t kHeaderSize = 512;
constexpr uint16_t kMagic = 474;
constexpr char kImageName[] = "Imvolta SGI Exports";

}  // namespace

WriterNeeds SgiWriter::needs(const WriteSettings&) const { return sixteen_bit_sizes("SGI stores sizes in 16 bits"); }

bool SgiWriter::write_body(File& file, const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();

  uint8_t header[kHeaderSize] = {};
  store_be16(header + 0, kMagic);
  header[2] = 0;              // storage: verbatim
  header[3] = 1;              // bytes per sample
  store_be16(header + 4, 3);  // dimensions
  store_be16(header + 6, static_cast<uint16_t>(width));
  store_be16(header + 8, static_cast<uint16_t>(height));
  store_be16(header + 10, 3);    // channels
  store_be32(header + 12, 0);    // minimum sample
  store_be32(header + 16, 255);  // maximum sample
  std::memcpy(header + 24, kImageName, sizeof kImageName - 1);
  store_be32(header + 104, 0);  // colour map: normal
  if (!file.seek(0) || !file.write_all(header, sizeof header)) return false;

  // Each channel's plane stores the rows bottom-up. A block of rows is
  // parted into its three channels at once, and each channel's part goes
  // to its own place in its plane.
  const auto row_bytes = static_cast<size_t>(width);
  const int32_t block_rows = rows_per_block(3 * row_bytes, height);
  const size_t plane_bytes = row_bytes * static_cast<size_t>(block_rows);
  std::vector<uint8_t> block(3 * plane_bytes);
  const BlocksWritten written = write_bottom_up(
      picture, block_rows,
      [&](int32_t y, int32_t slot) {
        const uint8_t* in = picture.row(y);
        uint8_t* red = block.data() + row_bytes * static_cast<size_t>(slot);
        uint8_t* green = red + plane_bytes;
        uint8_t* blue = green + plane_bytes;
        for (size_t x = 0; x < row_bytes; ++x, in += 3) {
          red[x] = in[0];
          green[x] = in[1];
          blue[x] = in[2];
        }
      },
      [&](int32_t stored_first, int32_t rows) {
        for (size_t channel = 0; channel < 3; ++channel) {
          const uint64_t at =
              kHeaderSize + row_bytes * (channel * static_cast<uint64_t>(height) + static_cast<uint64_t>(stored_first));
          if (!file.seek(at) ||
              !file.write_all(block.data() + channel * plane_bytes, row_bytes * static_cast<size_t>(rows))) {
            return false;
          }
        }
        return true;
      });
  if (written == BlocksWritten::kRowsMissing) return fail(kRowsNeverCame);
  if (written == BlocksWritten::kPlaceFailed) return false;
  // Progress as this writer has always reported it: through the rows once
  // for each channel, from the bottom.
  for (int channel = 0; channel < 3; ++channel) {
    for (int32_t k = 0; k < height; ++k) row_written(k);
  }
  return true;
}

}  // namespace quorvant::engine::sgi
