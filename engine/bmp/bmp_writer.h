// Writes a 24-bit picture as an uncompressed bottom-up Windows bitmap.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::bmp {

class BmpWriter final : public ImageWriter {
 public:
  ~BmpWriter() override { close(); }
  // Creates the destination, then requires a picture of at least 1 x 1 and
  // settings.bits = 24 (a file already created stays behind, empty).
  bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress) override;
  bool write() override;
  void close() override;

 private:
  bool write_file();

  File file_;
  const ImageBuffer* source_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::bmp
