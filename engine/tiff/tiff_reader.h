// Reads every TIFF kind that libtiff's RGBA interface understands into a
// 24-bit picture; an alpha channel is dropped without blending, so colours
// stay as stored.
#pragma once

#include <tiffio.h>

#include "engine/codec.h"

namespace quorvant::engine::tiff {

class TiffReader final : public ImageReader {
 public:
  ~TiffReader() override { close(); }
  // Accepts files libtiff opens whose ImageWidth and ImageLength are set.
  bool open(const std::string& path, ImageBuffer& target, ProgressCallback progress) override;
  bool read() override;
  void close() override;

 private:
  bool decode();

  TIFF* tiff_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  ImageBuffer* target_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::tiff
