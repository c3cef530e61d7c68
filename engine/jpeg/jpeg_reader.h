// Reads JPEG files through libjpeg into 24-bit colour or 8-bit grey.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"
#include "engine/jpeg/jpeg_errors.h"

#include <vector>

namespace quorvant::engine::jpeg {

class JpegReader final : public ImageReader {
 public:
  ~JpegReader() override { close(); }
  // Accepts files that start with 0xFF 0xD8, whose header libjpeg reads and
  // whose output has 1 (grey) or 3 (colour) components; CMYK is declined.
  bool open(const std::string& path, ImageBuffer& target, ProgressCallback progress) override;
  bool read() override;
  void close() override;

 private:
  // These two set the recovery point; see jpeg_errors.h for their rules.
  bool start_decompress();
  bool decode_rows();

  File file_;
  JpegErrors errors_{};
  jpeg_decompress_struct decompress_{};
  bool created_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool colour_ = true;
  ImageBuffer* target_ = nullptr;
  std::vector<JSAMPLE> first_row_;  // decoded before the picture's buffer is made
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::jpeg
