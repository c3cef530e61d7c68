// Reads the first picture of a GIF file, composed on the file's logical
// screen: into 32 bits (alpha, red, green, blue) when the picture has a
// transparent colour and the read options keep transparency, else into
// 24 bits with the transparent colour as stored. Where the picture does not
// cover the screen, the screen is transparent (when transparency is kept)
// or the global palette's background colour.
#pragma once

#include <memory>

#include "engine/file_reader.h"

struct GifFileType;

namespace quorvant::engine::gif {

class GifReader final : public FileReader {
 public:
  ~GifReader() override { close(); }
  PictureHeader header() const override;

 private:
  struct GifCloser {
    void operator()(GifFileType* gif) const;
  };
  uint32_t bits() const { return keep_alpha_ ? 32 : 24; }
  // Accepts files that start with "GIF87a" or "GIF89a" and whose records
  // up to the first picture giflib reads.
  bool open_format(const SourceFile& source) override;
  bool decode() override;
  void close_format() override;
  bool read_to_first_picture();

  std::unique_ptr<GifFileType, GifCloser> gif_;
  int transparent_index_ = -1;
  bool keep_alpha_ = false;
};

}  // namespace quorvant::engine::gif
