// Reads run-length encoded PCX pictures: 256 colours (one plane of 8-bit
// indices and a palette at the end of the file) or true colour (three
// planes of 8 bits: red, green, blue).
#pragma once

#include <array>

#include "engine/codec.h"
#include "engine/file.h"
#include "engine/pcx/pcx_layout.h"

namespace quorvant::engine::pcx {

class PcxReader final : public ImageReader {
 public:
  ~PcxReader() override { close(); }
  // Accepts files whose header says manufacturer 10, a picture at least
  // 2 x 2, and 8 or 24 bits per pixel over all planes, with planes long
  // enough for the pixels.
  bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) override;
  // The compressed data is read whole into memory before it is decoded.
  PictureHeader header() const override { return {width_, height_, bits_, compressed_size_}; }
  bool read() override;
  void close() override;

 private:
  bool decode();

  File file_;
  std::array<uint8_t, kHeaderSize> header_{};
  uint32_t bits_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t planes_ = 0;
  uint32_t bytes_per_line_ = 0;
  uint64_t compressed_size_ = 0;
  ImageBuffer* target_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::pcx
