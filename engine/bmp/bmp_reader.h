// Reads uncompressed Windows bitmaps of 24 bits per pixel, with the Windows
// (40-byte or longer) or the short OS/2 header, stored bottom-up or top-down.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/file_reader.h"

namespace quorvant::engine::bmp {

class BmpReader final : public FileReader {
 public:
  ~BmpReader() override { close(); }
  PictureHeader header() const override { return {width_, height_, 24, 0}; }

 private:
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;
  bool decode_header();

  uint64_t file_size_ = 0;
  uint32_t pixel_offset_ = 0;
  std::vector<uint8_t> info_;  // everything between the file header and the pixels
  bool bottom_up_ = true;
};

}  // namespace quorvant::engine::bmp
