// Reads PNG files of up to 8 bits per sample: palette files into 8-bit
// palette pictures, grey (with or without alpha) into 8-bit grey, RGB into
// 24 bits and RGB with alpha into 32 bits (alpha, red, green, blue).
// As the read options ask: 16-bit files too, rounded to 8 bits; every file
// with alpha or a tRNS chunk into 32 bits with straight alpha; colours as
// stored, without gamma correction; and the notes from the file's chunks.
#pragma once

#include "engine/file_reader.h"
#include "engine/png/png_support.h"

namespace quorvant::engine::png {

class PngReader final : public FileReader {
 public:
  ~PngReader() override { close(); }
  PictureHeader header() const override { return {width_, height_, bits(), 0}; }

 private:
  // Accepts files whose header libpng reads and whose depth is at most 8
  // (16 too with more kinds).
  bool open_format(const SourceFile&) override { return read_header(); }
  void close_format() override;

  enum class Kind { kPalette, kRgb, kRgbAlpha, kGrey };
  uint32_t bits() const { return kind_ == Kind::kRgbAlpha ? 32 : kind_ == Kind::kRgb ? 24 : 8; }

  // These two set the recovery point; see png_support.h for their rules.
  bool read_header();
  bool decode() override;

  PngInput input_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  PngErrors errors_{};
  Kind kind_ = Kind::kRgb;
  bool has_alpha_ = false;  // grey files with alpha lose it, unless it is kept
  bool keep_alpha_ = false;  // the picture gets the file's transparency
  bool sixteen_bits_ = false;
  bool png_known_ = false;  // the file starts with PNG's signature
};

}  // namespace quorvant::engine::png
