// Writes Adam7-interlaced PNG files of 8 bits per sample: palette colour
// (8 bits with 1 to 256 palette entries), RGB (24 bits) or RGB with alpha
// (32 bits).
#pragma once

#include <array>

#include "engine/file_writer.h"
#include "engine/png/png_support.h"

namespace quorvant::engine::png {

class PngWriter final : public FileWriter {
 public:
  ~PngWriter() override { close(); }
  // settings.bits 8 (with settings.palette_count 1..256), 24 or 32; any
  // other request fails before the file is created. libpng writes at most
  // a million pixels a side.
  WriterNeeds needs(const WriteSettings& settings) const override;

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
  // Sets the recovery point; see png_support.h for its rules.
  bool encode(File& file, const ImageBuffer& picture);

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  PngErrors errors_{};
  std::array<png_color, 256> palette_{};
};

}  // namespace quorvant::engine::png
