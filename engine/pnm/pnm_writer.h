// Writes portable anymaps: bilevel (PBM, always plain "P1"), grey (PGM,
// plain "P2" or raw "P5") and colour (PPM, plain "P3" or raw "P6").
#pragma once

#include "engine/file_writer.h"

namespace quorvant::engine::pnm {

class PnmWriter final : public FileWriter {
 public:
  ~PnmWriter() override { close(); }
  // Uses settings.pnm_kind and settings.raw (the raw form only for grey and
  // colour). Colour takes 24 bits, grey and bilevel 8-bit grey levels (so a
  // palette picture is converted through its colours: indices never reach
  // the file). An unknown kind fails before the file is created.
  WriterNeeds needs(const WriteSettings& settings) const override;
  bool takes_rows_as_they_arrive() const override { return true; }

 private:
  bool write_body(File& file, const ImageBuffer& picture) override;
  bool write_header(File& file, const ImageBuffer& picture, bool plain);
  bool write_plain(File& file, const ImageBuffer& picture);
  bool write_raw(File& file, const ImageBuffer& picture);
};

}  // namespace quorvant::engine::pnm
