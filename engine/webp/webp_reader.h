// Reads WebP files, lossy or lossless: into 32 bits (alpha, red, green,
// blue; straight alpha) when the file has transparency and the read options
// keep it, else into 24 bits. An animation gives its first frame, composed
// on its canvas. The notes get the file's ICCP, EXIF and XMP chunks, and the
// orientation its EXIF gives (WebP stores its pixels unturned).
#pragma once

#include <vector>

#include "engine/file_reader.h"

namespace quorvant::engine::webp {

class WebpReader final : public FileReader {
 public:
  ~WebpReader() override { close(); }
  PictureHeader header() const override;

 private:
  uint32_t bits() const { return keep_alpha_ ? 32 : 24; }
  // Accepts files that start with RIFF's WebP signature and whose header
  // libwebp reads.
  bool open_format(const SourceFile&) override { return read_features(); }
  bool decode() override;
  void close_format() override;
  bool read_features();
  bool read_whole_file();
  // Checks the file's chunks hold a picture, and notes what they say.
  bool check_chunks();
  bool decode_still();
  bool decode_first_frame();

  uint64_t file_size_ = 0;
  std::vector<uint8_t> data_;  // the file's bytes: the start while open, all of them while read
  bool animated_ = false;
  bool keep_alpha_ = false;
};

}  // namespace quorvant::engine::webp
