#include "engine/jpeg/jpeg_reader.h"

#include <cstring>
#include <optional>

namespace quorvant::engine::jpeg {

namespace {
// What libjpeg may allocate for whole-image buffers (progressive and
// multi-scan files keep every coefficient in memory). A hostile header then
// ends in a library error instead of exhausting the machine.
constexpr long kMaxLibraryMemory = 1L << 30;

// The most pixels one byte of a file can describe. Huffman coding spends at
// least a bit on every 8 x 8 block (its DC difference), so no Huffman-coded
// file exceeds 512 pixels a byte. Arithmetic coding can spend far less on a
// flat picture; a thousandth of a bit a block is beyond what its adaptive
// coder reaches in practice. A header claiming more is declined before the
// picture's buffer is made.
constexpr uint64_t kMostPixelsPerByteHuffman = 512;
constexpr uint64_t kMostPixelsPerByteArithmetic = 65536;
}  // namespace

bool JpegReader::open(const std::string& path, ImageBuffer& target, ProgressCallback progress) {
  close();
  file_ = File::open_read(path);
  uint8_t signature[2];
  if (!file_ || !file_.read_exact(signature, 2) || signature[0] != 0xFF || signature[1] != 0xD8 || !file_.seek(0) ||
      !start_decompress()) {
    close();
    return false;
  }
  width_ = static_cast<int32_t>(decompress_.output_width);
  height_ = static_cast<int32_t>(decompress_.output_height);
  colour_ = decompress_.output_components == 3;
  target_ = &target;
  progress_ = std::move(progress);
  return true;
}

bool JpegReader::start_decompress() {
  decompress_.err = install_errors(errors_);
  if (setjmp(errors_.recovery) != 0) return false;
  created_ = true;  // a zeroed object is safe to destroy even if creation fails
  jpeg_create_decompress(&decompress_);
  decompress_.mem->max_memory_to_use = kMaxLibraryMemory;
  jpeg_stdio_src(&decompress_, file_.get());
  jpeg_read_header(&decompress_, TRUE);
  // A picture beyond the 32-bit limit is declined before any decoding.
  const uint32_t bits = decompress_.num_components == 1 ? 8 : 24;
  if (checked_pixel_bytes(decompress_.image_width, decompress_.image_height, bits) == 0) return false;
  const std::optional<uint64_t> file_size = file_.size();
  const uint64_t most_per_byte = decompress_.arith_code ? kMostPixelsPerByteArithmetic : kMostPixelsPerByteHuffman;
  if (!file_size || uint64_t{decompress_.image_width} * decompress_.image_height > *file_size * most_per_byte) {
    return false;
  }
  // Default output parameters: YCbCr and RGB files come out as RGB, grey
  // files as grey, CMYK files with four components.
  jpeg_start_decompress(&decompress_);
  const int components = decompress_.output_components;
  return decompress_.output_width > 0 && decompress_.output_height > 0 && (components == 1 || components == 3);
}

bool JpegReader::read() {
  const bool ok = target_ != nullptr && decode_rows();
  if (target_ != nullptr) report_progress(progress_, kPhaseReading, height_ - 1, height_);
  close();
  return ok;
}

bool JpegReader::decode_rows() {
  if (setjmp(errors_.recovery) != 0) return false;
  // The first row is decoded before the picture's buffer is made, so that a
  // header claiming an enormous picture over a few bytes of broken data
  // fails before gigabytes are set aside for it.
  const size_t stride = static_cast<size_t>(width_) * (colour_ ? 3 : 1);
  first_row_.resize(stride);
  JSAMPROW first = first_row_.data();
  jpeg_read_scanlines(&decompress_, &first, 1);
  if (!target_->create(width_, height_, colour_ ? 24 : 8, 0)) return false;
  std::memcpy(target_->row(0), first_row_.data(), stride);
  first_row_ = {};
  report_progress(progress_, kPhaseReading, 1, height_);
  // The other rows go straight into the picture: libjpeg's RGB order and its
  // one byte per grey pixel are the buffer's own layouts.
  while (decompress_.output_scanline < decompress_.output_height) {
    JSAMPROW row = target_->row(static_cast<int32_t>(decompress_.output_scanline));
    jpeg_read_scanlines(&decompress_, &row, 1);
    report_progress(progress_, kPhaseReading, static_cast<int32_t>(decompress_.output_scanline), height_);
  }
  // Reading on to the end marker makes a file cut short anywhere fail.
  jpeg_finish_decompress(&decompress_);
  return true;
}

void JpegReader::close() {
  if (created_) jpeg_destroy_decompress(&decompress_);
  created_ = false;
  decompress_ = {};
  file_.close();
  width_ = 0;
  height_ = 0;
  colour_ = true;
  target_ = nullptr;
  first_row_ = {};
  progress_ = nullptr;
}

}  // namespace quorvant::engine::jpeg
