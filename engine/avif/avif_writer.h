// Writes AVIF files with libavif and its AV1 encoder: lossy files in 4:2:0
// at a quantizer taken from the quality, or lossless files (quantizer 0,
// RGB kept as it is in 4:4:4); 24-bit pictures, and 32-bit ones with their
// alpha. The colour profile, EXIF and XMP go in as the settings embed them.
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::avif {

// The AV1 quantizer (0 best .. 63 worst) for a quality of 1..100.
int quantizer_for_quality(int quality);
// libavif's speed (0 slowest .. 10 fastest) for an effort of 1..9, 0 for
// the default.
int speed_for_effort(int effort);

class AvifWriter final : public FileWriter {
 public:
  ~AvifWriter() override { close(); }
  // settings.bits 24 or 32; sides up to AV1's 65536 pixels.
  WriterNeeds needs(const WriteSettings& settings) const override;
  uint64_t working_memory(const WriteSettings& settings, int32_t width, int32_t height) const override;

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
};

}  // namespace quorvant::engine::avif
