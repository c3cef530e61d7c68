// Reads JPEG files through libjpeg into 24-bit colour or 8-bit grey.
#pragma once

#include <vector>

#include "codecs/jpeg_errors.h"
#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::jpeg {

class JpegReader final : public ImageReader {
 public:
  ~JpegReader() override { close(); }
  // Accepts files that start with 0xFF 0xD8, whose header libjpeg reads and
  // whose output has 1 (grey) or 3 (colour) components; CMYK is declined.
  bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) override;
  // Files of several scans (progressive ones among them) keep every
  // coefficient in memory while they are decoded.
  PictureHeader header() const override;
  bool read() override;
  void close() override;

 private:
  // These two set the recovery point; see jpeg_errors.h for their rules.
  bool read_header();
  bool decode_rows();
  // Fails the operation when a file of several scans ended before its
  // last scan.
  void check_scans_complete();
  // Fails the operation when the arithmetic-coded data ended before the
  // picture did; called after row `row` has been decoded.
  void check_data_ending(int32_t row);
  j_common_ptr common() { return reinterpret_cast<j_common_ptr>(&decompress_); }

  File file_;
  codecs::JpegErrors errors_{};
  jpeg_decompress_struct decompress_{};
  jpeg_progress_mgr scan_watch_{};
  bool created_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool colour_ = true;
  uint64_t coefficient_bytes_ = 0;
  ImageBuffer* target_ = nullptr;
  std::vector<JSAMPLE> first_row_;  // decoded before the picture's buffer is made
  // Where an arithmetic-coded scan met the end of its data: from this row
  // on, the rows must be what the decoder makes of no data (one flat
  // colour). -1 while the data has not ended.
  int32_t flat_from_row_ = -1;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::jpeg
