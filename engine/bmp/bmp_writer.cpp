#include "engine/bmp/bmp_writer.h"

#include <vector>

#include "engine/bmp/bmp_layout.h"
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

  std::vector<uint8_t> stored(static_cast<size_t>(stride));  // the pad bytes at the end stay 0
  for (int32_t i = 0; i < height; ++i) {
    copy_swapping_red_and_blue(picture.row(height - 1 - i), stored.data(), width);
    if (!file.write_all(stored.data(), stored.size())) return false;
    row_written(i);
  }
  return true;
}

}  // namespace quorvant::engine::bmp
