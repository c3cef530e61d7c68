// The plumbing every reader shares, as FileWriter is the writers': open()
// takes a stream of the source and keeps the target and the progress
// callback once the format has accepted the file; read() decodes, makes
// the last progress call and closes; close() releases the format's state
// and then the stream. A format supplies only its own steps.
#pragma once

#include "engine/codec.h"
#include "engine/file.h"

namespace quorvant::engine {

class FileReader : public ImageReader {
 public:
  bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) final;
  bool read() final;
  void close() final;

 protected:
  // Reads the format's header (file_ is the source's stream, at offset 0)
  // and sets width_ and height_; false when the file is not of this format
  // or is refused (with a reason given through fail()).
  virtual bool open_format(const SourceFile& source) = 0;
  // Decodes the whole picture into *target_.
  virtual bool decode() = 0;
  // Releases and resets what the format holds besides the members below.
  virtual void close_format() = 0;

  // Shared with the formats, which read and fill them directly.
  File file_;
  int32_t width_ = 0;   // of the picture read() makes
  int32_t height_ = 0;
  ImageBuffer* target_ = nullptr;  // set once the file is accepted
  ProgressCallback progress_;
};

}  // namespace quorvant::engine
