// Writes Softimage PIC files: a 104-byte header, one channel packet for red,
// green and blue, and the rows uncompressed, top row first.
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::pic {

class PicWriter final : public FileWriter {
 public:
  ~PicWriter() override { close(); }
  // 24 bits (settings.bits must say so), at most 65535 pixels a side
  // (16-bit size fields).
  WriterNeeds needs(const WriteSettings& settings) const override;
  bool takes_rows_as_they_arrive() const override { return true; }

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
};

}  // namespace quorvant::engine::pic
