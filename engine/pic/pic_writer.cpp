#include "engine/pic/pic_writer.h"

#include <bit>
#include <cstring>

#include "engine/byte_order.h"

namespace quorvant::engine::pic {

namespace {

constexpr size_t kHeaderSize = 104;
constexpr size_t kPacketSize = 4;
constexpr uint32_t kMagic = 0x5380F634;
// The comment is these two words written together, without a blank.
constexpr char kComment[] =
    "Create by"
    "Zendrik";
constexpr uint16_t kFullFrame = 3;
constexpr uint8_t kRedGreenBlue = 0x80 | 0x40 | 0x20;

}  // namespace

WriterNeeds PicWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs = sixteen_bit_sizes("PIC stores sizes in 16 bits");
  needs.valid = settings.bits == 24;
  return needs;
}

bool PicWriter::write_body(File& file, const ImageBuffer& picture) {
  const int32_t width = picture.width();
  const int32_t height = picture.height();

  uint8_t header[kHeaderSize + kPacketSize] = {};
  store_be32(header + 0, kMagic);
  // Version (a float) stays 0.
  std::memcpy(header + 8, kComment, sizeof kComment - 1);
  std::memcpy(header + 88, "PICT", 4);
  store_be16(header + 92, static_cast<uint16_t>(width));
  store_be16(header + 94, static_cast<uint16_t>(height));
  const float ratio = static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
  store_be32(header + 96, std::bit_cast<uint32_t>(ratio));
  store_be16(header + 100, kFullFrame);
  // The channel packet: not chained, 8 bits, uncompressed, red + green + blue.
  uint8_t* packet = header + kHeaderSize;
  packet[0] = 0;
  packet[1] = 8;
  packet[2] = 0;
  packet[3] = kRedGreenBlue;
  if (!file.seek(0) || !file.write_all(header, sizeof header)) return false;

  for (int32_t y = 0; y < height; ++y) {
    if (!picture.rows_ready(y + 1)) return fail(kRowsNeverCame);
    if (!file.write_all(picture.row(y), picture.stride())) return false;
    row_written(y);
  }
  return true;
}

}  // namespace quorvant::engine::pic
