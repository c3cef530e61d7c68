// Reads one of the three low resolutions of a PhotoCD image pack (luma with
// 2 x 2 subsampled chroma, PhotoYCC) into a 24-bit picture.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::photocd {

// Resolution codes: 0 is 192 x 128, 1 is 384 x 256, 2 (the base) 768 x 512.
inline constexpr int kBaseResolution = 2;

class PhotoCdReader final : public ImageReader {
 public:
  explicit PhotoCdReader(int resolution = kBaseResolution) : resolution_(resolution) {}
  ~PhotoCdReader() override { close(); }
  // Accepts files above 1048575 bytes that carry the image-pack signature
  // "PCD_IPI" at offset 2048, for a resolution code of 0, 1 or 2.
  bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) override;
  PictureHeader header() const override { return {width_, height_, 24, 0}; }
  bool read() override;
  void close() override;

 private:
  bool decode();

  const int resolution_;
  File file_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint64_t offset_ = 0;
  ImageBuffer* target_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::photocd
