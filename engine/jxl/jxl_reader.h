// Reads JPEG XL files, bare codestreams and containers alike (a
// recompressed JPEG among them, decoded to its pixels): grey pictures into
// 8-bit grey, colour into 24 bits, and, when transparency is kept, any
// picture with alpha into 32 bits (alpha, red, green, blue; straight alpha).
// Deeper and floating-point samples are rounded to 8 bits. The pixels come
// turned upright as the file says, so the notes' orientation is always 1;
// the notes get the colour profile of the pixels (none for sRGB) and the
// EXIF and XMP boxes.
#pragma once

#include <jxl/decode.h>

#include <memory>
#include <vector>

#include "engine/file_reader.h"
#include "engine/jxl/jxl_boxes.h"
#include "engine/jxl/jxl_support.h"

namespace quorvant::engine::jxl {

class JxlReader final : public FileReader {
 public:
  ~JxlReader() override { close(); }
  PictureHeader header() const override { return {width_, height_, bits(), working_bytes()}; }

 private:
  struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
  };

  uint32_t bits() const { return keep_alpha_ ? 32 : grey_ ? 8 : 24; }
  uint64_t working_bytes() const;
  // Accepts files that start with a JPEG XL signature and whose header
  // libjxl reads; declines every other file without a reason.
  bool open_format(const SourceFile&) override { return load_file() && read_header(); }
  bool decode() override;
  void close_format() override;
  bool load_file();
  bool read_header();
  // The next event the decoder has for us; box events are answered here.
  JxlDecoderStatus next_event();
  void note_colour();
  void note_boxes();
  // libjxl's callback for decoded pixels: may run on several threads at
  // once, each with pixels of its own.
  static void take_pixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels);

  std::vector<uint8_t> bytes_;  // the whole file
  std::unique_ptr<MemoryBudget> budget_;
  std::unique_ptr<JxlDecoder, DecoderDeleter> decoder_;
  MetadataBoxes boxes_;
  JxlPixelFormat format_{};
  bool grey_ = false;
  bool keep_alpha_ = false;
  uint32_t channels_ = 0;  // colour and extra channels the file holds
};

}  // namespace quorvant::engine::jxl
