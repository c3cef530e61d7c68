// Writes a picture as a baseline JFIF JPEG, in colour or in grey.
#pragma once

#include "codecs/jpeg_errors.h"
#include "engine/file_writer.h"

namespace quorvant::engine::jpeg {

class JpegWriter final : public FileWriter {
 public:
  ~JpegWriter() override { close(); }
  // Colour takes 24 bits, grey 8-bit grey levels; libjpeg describes at most
  // 65500 pixels a side.
  WriterNeeds needs(const WriteSettings& settings) const override;
  bool takes_rows_as_they_arrive() const override { return true; }
  // Optimised Huffman tables take two passes over every coefficient of the
  // picture, which libjpeg keeps in memory.
  uint64_t working_memory(const WriteSettings& settings, int32_t width, int32_t height) const override;

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
  // Sets the recovery point; see jpeg_errors.h for its rules.
  bool compress(File& file, const ImageBuffer& picture);

  codecs::JpegErrors errors_{};
  jpeg_compress_struct compress_{};
  bool created_ = false;
};

}  // namespace quorvant::engine::jpeg
