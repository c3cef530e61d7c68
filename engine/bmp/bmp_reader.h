// Reads uncompressed Windows bitmaps of 24 bits per pixel, with the Windows
// (40-byte or longer) or the short OS/2 header, stored bottom-up or top-down.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::bmp {

class BmpReader final : public ImageReader {
 public:
  ~BmpReader() override { close(); }
  bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) override;
  PictureHeader header() const override { return {width_, height_, 24, 0}; }
  bool read() override;
  void close() override;

 private:
  bool decode_header();
  bool read_rows();

  File file_;
  uint64_t file_size_ = 0;
  uint32_t pixel_offset_ = 0;
  std::vector<uint8_t> info_;  // everything between the file header and the pixels
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool bottom_up_ = true;
  ImageBuffer* target_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::bmp
