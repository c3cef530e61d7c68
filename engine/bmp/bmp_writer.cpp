#include "engine/bmp/bmp_writer.h"

#include <algorithm>
#include <vector>

#include "engine/bmp/bmp_layout.h"
#include "engine/bottom_up_blocks.h"
#include "engine/byte_order.h"

namespace quorvant::engine::bmp {

WriterNeeds BmpWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs;
  needs.valid = settings.bits == 24;
  needs.bits = 24;
  return needs;
}

bool BmpWriter::write_body(File& file, const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  const uint64_t stride = row_size(static_cast<uint64_t>(width));
  // The file size field is 32 bits wide; a picture whose padded rows would
  // overflow it cannot be described.
  if (stride * static_cast<uint64_t>(height) > kMaxPixelBytes - kPixelOffset) {
    return fail("BMP stores the file size in 32 bits: " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels make a file above 4 GiB");
  }

  uint8_t header[kPixelOffset] = {};
  header[0] = 'B';
  header[1] = 'M';
  store_le32(header + kFileSizeAt, static_cast<uint32_t>(kPixelOffset + stride * static_cast<uint64_t>(height)));
  store_le32(header + kPixelOffsetAt, kPixelOffset);
  uint8_t* info = header + kFileHeaderSize;
  store_le32(info + kHeaderSizeAt, kInfoHeaderSize);
  store_le32(info + kWidthAt, static_cast<uint32_t>(width));
  store_le32(info + kHeightAt, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
  store_le16(info + kPlanesAt, 1);
  store_le16(info + kBitsAt, 24);
  // Compression, image size, resolutions and colour counts all stay 0.
  if (!file.seek(0) || !file.write_all(header, sizeof header)) return false;

  // Rows are stored bottom-up; each block of rows goes to its own place in
  // the file, the pad bytes at the end of each row 0.
  const int32_t block_rows = rows_per_block(stride, height);
  std::vector<uint8_t> block(static_cast<size_t>(stride) * static_cast<size_t>(block_rows));
  const BlocksWritten written = write_bottom_up(
      picture, block_rows,
      [&](int32_t y, int32_t slot) {
        copy_swapping_red_and_blue(picture.row(y), block.data() + stride * static_cast<size_t>(slot), width);
      },
      [&](int32_t stored_first, int32_t rows) {
        const uint64_t at = kPixelOffset + stride * static_cast<uint64_t>(stored_first);
        if (!file.seek(at) || !file.write_all(block.data(), stride * static_cast<size_t>(rows))) return false;
        // Rows of the picture from the top, as they are done.
        for (int32_t y = height - stored_first - rows; y < height - stored_first; ++y) row_written(y);
        return true;
      });
  if (written == BlocksWritten::kRowsMissing) return fail(kRowsNeverCame);
  if (written == BlocksWritten::kPlaceFailed) return false;
  return true;
}

}  // namespace quorvant::engine::bmp
