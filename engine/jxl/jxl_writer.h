// Writes JPEG XL files: RGB (24 bits) or RGB with alpha (32 bits), lossy at
// a distance that follows the quality as the reference encoder's -q does,
// or lossless; at the effort asked for (libjxl's own default, 7, when none
// is). The colour profile goes into the codestream (sRGB when there is
// none), EXIF and XMP into boxes of their own before it. A JPEG source to
// be kept lossless is recompressed from its own bytes, so that it can be
// given back byte for byte; a JPEG libjxl cannot take that way is written
// from its pixels instead.
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::jxl {

class JxlWriter final : public FileWriter {
 public:
  ~JxlWriter() override { close(); }
  // settings.bits 24 or 32; any other request fails before the file is
  // created.
  WriterNeeds needs(const WriteSettings& settings) const override;
  uint64_t working_memory(const WriteSettings& settings, int32_t width, int32_t height) const override;

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
};

// The distance (0 lossless .. 25) the reference encoder uses for -q `quality`.
float distance_for_quality(int32_t quality);

}  // namespace quorvant::engine::jxl
