// Writes a 24-bit picture as an uncompressed bottom-up Windows bitmap.
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::bmp {

class BmpWriter final : public FileWriter {
 public:
  ~BmpWriter() override { close(); }
  // 24 bits (settings.bits must say so); pictures whose stored rows would
  // overflow the 32-bit file size field are refused.
  WriterNeeds needs(const WriteSettings& settings) const override;
  bool takes_rows_as_they_arrive() const override { return true; }

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
};

}  // namespace quorvant::engine::bmp
