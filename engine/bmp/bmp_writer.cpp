#include "engine/bmp/bmp_writer.h"

#include <new>
#include <vector>

#include "engine/bmp/bmp_layout.h"
#include "engine/byte_order.h"

namespace quorvant::engine::bmp {

bool BmpWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
                     ProgressCallback progress) {
  close();
  file_ = File::open_write(path);
  const uint64_t stored_bytes =
      row_size(static_cast<uint64_t>(source.width())) * static_cast<uint64_t>(source.height());
  // The file size field is 32 bits wide; a picture whose padded rows would
  // overflow it cannot be described.
  if (!file_ || source.width() < 1 || source.height() < 1 || settings.bits != 24 || source.bits() != 24 ||
      stored_bytes > kMaxPixelBytes - kPixelOffset) {
    close();
    return false;
  }
  source_ = &source;
  progress_ = std::move(progress);
  return true;
}

bool BmpWriter::write() {
  const bool ok = source_ != nullptr && write_file();
  if (source_ != nullptr) report_progress(progress_, kPhaseWriting, source_->height() - 1, source_->height());
  // A failed close means buffered bytes never reached the file.
  const bool closed = file_.close();
  close();
  return ok && closed;
}

bool BmpWriter::write_file() {
  const int32_t width = source_->width();
  const int32_t height = source_->height();
  const auto stride = static_cast<size_t>(row_size(static_cast<uint64_t>(width)));

  uint8_t header[kPixelOffset] = {};
  header[0] = 'B';
  header[1] = 'M';
  store_le32(header + kFileSizeAt, static_cast<uint32_t>(kPixelOffset + stride * static_cast<size_t>(height)));
  store_le32(header + kPixelOffsetAt, kPixelOffset);
  uint8_t* info = header + kFileHeaderSize;
  store_le32(info + kHeaderSizeAt, kInfoHeaderSize);
  store_le32(info + kWidthAt, static_cast<uint32_t>(width));
  store_le32(info + kHeightAt, static_cast<uint32_t>(height));  // positive: rows stored bottom-up
  store_le16(info + kPlanesAt, 1);
  store_le16(info + kBitsAt, 24);
  // Compression, image size, resolutions and colour counts all stay 0.
  if (!file_.seek(0) || !file_.write_all(header, sizeof header)) return false;

  std::vector<uint8_t> stored;
  try {
    stored.resize(stride);  // the pad bytes at the end stay 0
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int32_t i = 0; i < height; ++i) {
    copy_swapping_red_and_blue(source_->row(height - 1 - i), stored.data(), width);
    if (!file_.write_all(stored.data(), stored.size())) return false;
    report_progress(progress_, kPhaseWriting, i, height);
  }
  return true;
}

void BmpWriter::close() {
  file_.close();
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::bmp
