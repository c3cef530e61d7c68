// Writes SGI image files: a 512-byte header and three verbatim (not run-
// length encoded) planes of 8-bit samples, red, green, blue, each stored
// from the bottom row up.
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::sgi {

class SgiWriter final : public FileWriter {
 public:
  ~SgiWriter() override { close(); }
  // 24 bits, at most 65535 pixels a side (16-bit size fields).
  WriterNeeds needs(const WriteSettings& settings) const override;
  // Its planes' rows have known places: it starts on the top rows while the
  // rest are still being read.
  bool takes_rows_as_they_arrive() const override { return true; }

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
  // Progress runs through the rows once per channel, with phase 1 (the
  // phase this writer has always reported), once the planes are written.
  ProgressPhase progress_phase() const override { return kPhaseReading; }
};

}  // namespace quorvant::engine::sgi
