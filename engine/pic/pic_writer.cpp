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
// The header's 16-bit size fields cannot describe larger pictures.
constexpr int32_t kLargestSide = 65535;

}  // namespace

bool PicWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
                     ProgressCallback progress) {
  close();
  if (settings.bits != 24) return false;
  file_ = File::open_write(path);
  if (!file_) return false;
  source_ = &source;
  progress_ = std::move(progress);
  return true;
}

bool PicWriter::write() {
  if (source_ == nullptr) return false;
  bool ok = source_->width() >= 1 && source_->height() >= 1 && write_file(*source_);
  report_progress(progress_, kPhaseWriting, source_->height() - 1, source_->height());
  ok = file_.close() && ok;
  close();
  return ok;
}

bool PicWriter::write_file(const ImageBuffer& source) {
  const int32_t width = source.width();
  const int32_t height = source.height();
  if (width > kLargestSide || height > kLargestSide) return false;

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
  if (!file_.seek(0) || !file_.write_all(header, sizeof header)) return false;

  ImageBuffer converted;
  const ImageBuffer* picture = in_form(source, 24, 0, converted);
  if (picture == nullptr) return false;
  for (int32_t y = 0; y < height; ++y) {
    if (!file_.write_all(picture->row(y), picture->stride())) return false;
    report_progress(progress_, kPhaseWriting, y, height);
  }
  return true;
}

void PicWriter::close() {
  file_.close();
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::pic
