// Writes Softimage PIC files: a 104-byte header, one channel packet for red,
// green and blue, and the rows uncompressed, top row first.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::pic {

class PicWriter final : public ImageWriter {
 public:
  ~PicWriter() override { close(); }
  // settings.bits must be 24; otherwise it fails before the file is created.
  bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress) override;
  bool write() override;
  void close() override;

 private:
  bool write_file(const ImageBuffer& picture);

  File file_;
  const ImageBuffer* source_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::pic
