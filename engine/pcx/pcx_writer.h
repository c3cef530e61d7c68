// Writes true-colour PCX files: three run-length encoded planes (red, green,
// blue) of 8 bits per scan line, no palette.
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::pcx {

class PcxWriter final : public FileWriter {
 public:
  ~PcxWriter() override { close(); }
  // 24 bits; at most 65534 pixels wide (the bytes of a plane's line, the
  // width rounded up to an even number, are a 16-bit field) and 65535 high.
  WriterNeeds needs(const WriteSettings& settings) const override;
  bool takes_rows_as_they_arrive() const override { return true; }

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
};

}  // namespace quorvant::engine::pcx
