// Writes a picture as a baseline JFIF JPEG, in colour or in grey.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"
#include "engine/jpeg/jpeg_errors.h"

namespace quorvant::engine::jpeg {

class JpegWriter final : public ImageWriter {
 public:
  ~JpegWriter() override { close(); }
  // Only checks the request (a picture of at least 1 x 1); the file is
  // created by write().
  bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress) override;
  // Brings the picture into 24-bit colour or 8-bit grey when it is not
  // already, creates the file and compresses it.
  bool write() override;
  void close() override;

 private:
  // Sets the recovery point; see jpeg_errors.h for its rules.
  bool compress(const ImageBuffer& picture);

  std::string path_;
  const ImageBuffer* source_ = nullptr;
  WriteSettings settings_;
  ProgressCallback progress_;
  File file_;
  JpegErrors errors_{};
  jpeg_compress_struct compress_{};
  bool created_ = false;
};

}  // namespace quorvant::engine::jpeg
