// Writes portable anymaps: bilevel (PBM, always plain "P1"), grey (PGM,
// plain "P2" or raw "P5") and colour (PPM, plain "P3" or raw "P6").
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine::pnm {

class PnmWriter final : public ImageWriter {
 public:
  ~PnmWriter() override { close(); }
  // Uses settings.pnm_kind and settings.raw (the raw form only for grey and
  // colour). An unknown kind fails before the file is created.
  bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress) override;
  bool write() override;
  void close() override;

 private:
  bool write_header();
  bool write_plain(const ImageBuffer& picture);
  bool write_raw(const ImageBuffer& picture);

  File file_;
  PnmKind kind_ = PnmKind::kColour;
  bool plain_ = false;
  const ImageBuffer* source_ = nullptr;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine::pnm
