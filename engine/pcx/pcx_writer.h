// Writes true-colour PCX files: three run-length encoded planes (red, green,
// blue) of 8 bits per scan line, no palette.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::pcx {

class PcxWriter final : public ImageWriter {
 public:
  ~PcxWriter() override { close(); }
  // Creates the destination, then requires a picture of at least 1 x 1 (a
  // file already created stays behind, empty).
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

}  // namespace quorvant::engine::pcx
