// Reads the primary picture of AVIF files with libavif: 8, 10 and 12 bits
// a sample, rounded to 8; grey files into 8-bit grey, colour into 24 bits
// and, when transparency is kept, files with alpha into 32 bits (straight
// alpha). The file's rotation and mirroring are applied, so the picture
// comes out as it is meant to be shown; the notes get the colour profile,
// EXIF and XMP.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <avif/avif.h>

#include "engine/file_reader.h"
#include "engine/library_threads.h"

namespace quorvant::engine::avif {

class AvifReader final : public FileReader {
 public:
  ~AvifReader() override { close(); }
  PictureHeader header() const override;

 private:
  struct DecoderDeleter {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
  };

  // Accepts files whose ftyp box names an AVIF brand.
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;
  bool parse();
  bool convert_to_picture(const avifImage& image);
  void note_metadata(const avifImage& image);

  std::vector<uint8_t> bytes_;  // the whole file: libavif parses from memory
  // The decoder's threads, leased before it is made and returned after it
  // is destroyed (declared first: destroyed last).
  std::optional<LibraryThreads> threads_;
  std::unique_ptr<avifDecoder, DecoderDeleter> decoder_;
  bool keep_alpha_ = false;
  bool grey_ = false;
  int orientation_ = 1;  // how to turn the stored picture to show it
};

}  // namespace quorvant::engine::avif
