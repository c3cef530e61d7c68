// Writes WebP files, lossy or lossless, from 24-bit pictures or from 32-bit
// ones whose alpha is kept. Lossy files take libwebp's default preset at the
// settings' quality; lossless ones keep the colour under fully transparent
// pixels. What the settings embed (colour profile, EXIF, XMP) goes into
// ICCP, EXIF and XMP chunks.
#pragma once

#include "engine/file_writer.h"

struct WebPPicture;

namespace quorvant::engine::webp {

class WebpWriter final : public FileWriter {
 public:
  ~WebpWriter() override { close(); }
  // settings.bits 24 or 32; sides of at most 16383 pixels.
  WriterNeeds needs(const WriteSettings& settings) const override;
  uint64_t working_memory(const WriteSettings& settings, int32_t width, int32_t height) const override;

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
  // libwebp's progress, in percent, as rows of `height` done.
  static int report_percent(int percent, const WebPPicture* picture);
  int32_t height_ = 0;
};

}  // namespace quorvant::engine::webp
