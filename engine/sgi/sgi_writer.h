// Writes SGI image files: a 512-byte header and three verbatim (not run-
// length encoded) planes of 8-bit samples, red, green, blue, each stored
// from the bottom row up.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::sgi {

class SgiWriter final : public ImageWriter {
 public:
  ~SgiWriter() override { close(); }
  bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress) override;
  // On failure the partly written file is removed.
  bool write() override;
  void close() override;

 private:
  bool write_file(const ImageBuffer& picture);

  File file_;
  std::string path_;
  const ImageBuffer* source_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::sgi
