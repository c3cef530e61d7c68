// Writes Adam7-interlaced PNG files of 8 bits per sample: palette colour
// (8 bits with 1 to 256 palette entries), RGB (24 bits) or RGB with alpha
// (32 bits). The chunks are written here; the picture data is filtered as
// libpng filters it and compressed at zlib's level 6 on every core. What the
// settings embed goes before the picture data: the colour profile (iCCP),
// EXIF (eXIf) and XMP (iTXt).
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::png {

class PngWriter final : public FileWriter {
 public:
  ~PngWriter() override { close(); }
  // settings.bits 8 (with settings.palette_count 1..256), 24 or 32; any
  // other request fails before the file is created. Sides are limited to
  // a million pixels, as libpng limits what it reads.
  WriterNeeds needs(const WriteSettings& settings) const override;
  uint64_t working_memory(const WriteSettings& settings, int32_t width, int32_t height) const override;

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
};

}  // namespace quorvant::engine::png
