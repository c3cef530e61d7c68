// Writes uncompressed TIFF files: 24-bit RGB, or 8-bit grey stored as
// palette colour over a grey-ramp colour map.
#pragma once

#include <tiffio.h>

#include "engine/codec.h"
#include "engine/tiff/tiff_output.h"

namespace quorvant::engine::tiff {

class TiffWriter final : public ImageWriter {
 public:
  ~TiffWriter() override { close(); }
  // settings.bits 8 (grey levels) or 24, else it fails before the file is
  // created.
  WriterNeeds needs(const WriteSettings& settings) const override;

 private:
  bool start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings,
             ProgressCallback progress) override;
  bool write_format() override;
  void close_format() override;
  bool write_rows();

  BufferedOutput output_;
  TIFF* tiff_ = nullptr;
  const ImageBuffer* picture_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::tiff
