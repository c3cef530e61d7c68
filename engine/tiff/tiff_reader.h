// Reads every TIFF kind that libtiff's RGBA interface understands into a
// 24-bit picture, upright whatever its orientation; an alpha channel is
// dropped without blending, so colours stay as stored, unless transparency
// is asked for: then a picture with an alpha sample comes out in 32 bits,
// straight alpha. CIE L*a*b* pictures are shown in sRGB by the engine's own
// conversion (cielab.h). 16-bit samples are always read, rounded to 8 bits.
#pragma once

#include <tiffio.h>

#include <string>

#include "engine/file.h"
#include "engine/file_reader.h"
#include "engine/unique_fd.h"

namespace quorvant::engine::tiff {

class TiffReader final : public FileReader {
 public:
  ~TiffReader() override { close(); }
  // Besides the picture: libtiff's raster of four bytes a pixel, and the
  // strip or tile libtiff reads and unpacks at a time.
  PictureHeader header() const override;

 private:
  // Accepts files libtiff opens whose ImageWidth and ImageLength are set,
  // whose data the file can hold and whose kind the RGBA interface reads.
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;
  void open_library();
  bool check_claims(uint32_t width, uint32_t height);
  bool begin_reading();
  uint64_t raster_bytes() const;
  bool colour_map_missing();
  static int note_error(TIFF* tiff, void* self, const char* module, const char* format, va_list arguments);

  // The source's own stream (the reader base opens it), rewound: for
  // reading a header field libtiff does not tell, beside libtiff's handle.
  File& header_stream();

  PositionedReader client_;  // what libtiff reads through: the source, at a position of libtiff's own
  TIFF* tiff_ = nullptr;
  TIFFRGBAImage rgba_{};  // the RGBA interface's state, set up by open()
  bool rgba_begun_ = false;
  std::string path_;
  uint64_t source_size_ = 0;
  uint64_t library_buffers_ = 0;  // what libtiff sets aside to read a strip or tile
  int32_t stored_width_ = 0;      // as the rows are stored
  int32_t stored_height_ = 0;
  bool transposed_ = false;  // orientations 5 to 8: stored rows are columns
  uint16_t stored_alpha_ = 0;  // the alpha sample's kind as the file declares it; 0: none
  bool with_alpha_ = false;    // the picture is read with its alpha
  uint16_t orientation_ = ORIENTATION_TOPLEFT;
  std::string library_error_;  // libtiff's first error message
};

}  // namespace quorvant::engine::tiff
