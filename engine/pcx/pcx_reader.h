// Reads run-length encoded PCX pictures: 256 colours (one plane of 8-bit
// indices and a palette at the end of the file) or true colour (three
// planes of 8 bits: red, green, blue).
#pragma once

#include <array>

#include "engine/file_reader.h"
#include "engine/pcx/pcx_layout.h"

namespace quorvant::engine::pcx {

class PcxReader final : public FileReader {
 public:
  ~PcxReader() override { close(); }
  // The compressed data is read whole into memory before it is decoded.
  PictureHeader header() const override { return {width_, height_, bits_, compressed_size_}; }

 private:
  // Accepts files whose header says manufacturer 10, a picture at least
  // 2 x 2, and 8 or 24 bits per pixel over all planes, with planes long
  // enough for the pixels.
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;

  std::array<uint8_t, kHeaderSize> header_{};
  uint32_t bits_ = 0;
  uint32_t planes_ = 0;
  uint32_t bytes_per_line_ = 0;
  uint64_t compressed_size_ = 0;
};

}  // namespace quorvant::engine::pcx
