// Writes uncompressed TIFF files: 24-bit RGB, 32-bit RGB with unassociated
// (straight) alpha, or 8-bit grey stored as palette colour over a
// grey-ramp colour map; with the profile and metadata the settings embed.
#pragma once

#include <tiffio.h>

#include <optional>

#include "engine/codec.h"
#include "engine/tiff/tiff_output.h"

namespace quorvant::engine::tiff {

class TiffWriter final : public ImageWriter {
 public:
  ~TiffWriter() override { close(); }
  // settings.bits 8 (grey levels), 24 or 32 (alpha, red, green, blue),
  // else it fails before the file is created.
  WriterNeeds needs(const WriteSettings& settings) const override;
  bool takes_rows_as_they_arrive() const override { return true; }

 private:
  bool start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings,
             ProgressCallback progress) override;
  bool write_format() override;
  void close_format() override;
  bool write_rows();
  void set_picture_tags();

  BufferedOutput output_;
  TIFF* tiff_ = nullptr;
  const ImageBuffer* picture_ = nullptr;
  ProgressCallback progress_;
  std::optional<PictureNotes> embedded_;  // what settings.embedded asked for, if anything
};

}  // namespace quorvant::engine::tiff
