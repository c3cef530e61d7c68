// Reads one of the three low resolutions of a PhotoCD image pack (luma with
// 2 x 2 subsampled chroma, PhotoYCC) into a 24-bit picture.
#pragma once

#include "engine/file_reader.h"

namespace quorvant::engine::photocd {

// Resolution codes: 0 is 192 x 128, 1 is 384 x 256, 2 (the base) 768 x 512.
inline constexpr int kBaseResolution = 2;

class PhotoCdReader final : public FileReader {
 public:
  explicit PhotoCdReader(int resolution = kBaseResolution) : resolution_(resolution) {}
  ~PhotoCdReader() override { close(); }
  PictureHeader header() const override { return {width_, height_, 24, 0}; }

 private:
  // Accepts files above 1048575 bytes that carry the image-pack signature
  // "PCD_IPI" at offset 2048, for a resolution code of 0, 1 or 2.
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;

  const int resolution_;
  uint64_t offset_ = 0;
};

}  // namespace quorvant::engine::photocd
