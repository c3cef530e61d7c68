// Reads every TIFF kind that libtiff's RGBA interface understands into a
// 24-bit picture, upright whatever its orientation; an alpha channel is
// dropped without blending, so colours stay as stored.
#pragma once

#include <tiffio.h>

#include <string>

#include "engine/codec.h"
#include "engine/file.h"
#include "engine/unique_fd.h"

namespace quorvant::engine::tiff {

// What libtiff reads through: the source's descriptor, read with pread at
// a position of libtiff's own.
struct ClientFile {
  UniqueFd fd;
  uint64_t position = 0;
};

class TiffReader final : public ImageReader {
 public:
  ~TiffReader() override { close(); }
  // Accepts files libtiff opens whose ImageWidth and ImageLength are set.
  bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) override;
  // libtiff's raster takes four bytes a pixel besides the picture.
  PictureHeader header() const override;
  bool read() override;
  void close() override;

 private:
  bool decode();
  bool colour_map_missing() const;
  static int note_error(TIFF* tiff, void* self, const char* module, const char* format, va_list arguments);

  // Another stream over the same file, for reading a header field libtiff
  // does not tell.
  File second_stream() const;

  ClientFile client_;
  TIFF* tiff_ = nullptr;
  std::string path_;
  int32_t stored_width_ = 0;  // as the rows are stored
  int32_t stored_height_ = 0;
  bool transposed_ = false;  // orientations 5 to 8: stored rows are columns
  uint16_t orientation_ = ORIENTATION_TOPLEFT;
  ImageBuffer* target_ = nullptr;
  ProgressCallback progress_;
  std::string library_error_;  // libtiff's first error message
};

}  // namespace quorvant::engine::tiff
