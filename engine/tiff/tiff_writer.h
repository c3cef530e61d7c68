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
  // settings.bits 8 or 24 and a picture of at least 1 x 1, else it fails
  // before the file is created.
  bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress) override;
  bool write() override;
  void close() override;

 private:
  bool write_rows(const ImageBuffer& picture);

  BufferedOutput output_;
  TIFF* tiff_ = nullptr;
  uint32_t bits_ = 24;
  const ImageBuffer* source_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::tiff
