#include "engine/file_reader.h"

namespace quorvant::engine {

bool FileReader::open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) {
  close();
  forget_failure();
  file_ = source.stream();
  if (!file_ || !open_format(source)) {
    close();
    return false;
  }
  target_ = &target;
  progress_ = std::move(progress);
  return true;
}

bool FileReader::read() {
  const bool ok = target_ != nullptr && decode();
  if (target_ != nullptr) report_progress(progress_, kPhaseReading, height_ - 1, height_);
  close();
  return ok;
}

void FileReader::close() {
  close_format();
  file_.close();
  width_ = 0;
  height_ = 0;
  target_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine
