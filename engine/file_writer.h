// The plumbing of the formats that write their bytes themselves through a
// File (BMP, JPEG, PCX, PIC, PNG, PNM, SGI): the file is taken when the writer starts;
// write() runs the format's body, makes the last progress call, closes the
// file and answers whether every byte reached it.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine {

class FileWriter : public ImageWriter {
 protected:
  // Writes the whole file from offset 0; false on failure. A failure of the
  // file itself needs no reason of the format's: the file's is used.
  virtual bool write_body(File& file, const ImageBuffer& picture) = 0;
  // The phase progress calls report (writing, for every format but one).
  virtual ProgressPhase progress_phase() const { return kPhaseWriting; }

  // Reports row `row` of the picture done.
  void row_written(int32_t row) const;
  const WriteSettings& settings() const { return settings_; }

 private:
  bool start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings, ProgressCallback progress) final;
  bool write_format() final;
  void close_format() final;

  File file_;
  const ImageBuffer* picture_ = nullptr;
  WriteSettings settings_;
  ProgressCallback progress_;
};

}  // namespace quorvant::engine
