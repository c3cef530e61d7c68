#include "engine/file_writer.h"

namespace quorvant::engine {

void FileWriter::row_written(int32_t row) const {
  report_progress(progress_, progress_phase(), row, picture_->height());
}

bool FileWriter::start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings,
                       ProgressCallback progress) {
  file_ = File::adopt(std::move(file), destination_name());
  if (!file_) return fail(file_.failure());
  picture_ = &picture;
  settings_ = settings;
  progress_ = std::move(progress);
  return true;
}

bool FileWriter::write_format() {
  bool ok = write_body(file_, *picture_);
  row_written(picture_->height() - 1);
  // Closing writes out what stdio still buffers; a full disk may show only here.
  ok = file_.close() && ok;
  return ok || fail(file_.failure());
}

void FileWriter::close_format() {
  file_.close();
  picture_ = nullptr;
  settings_ = {};
  progress_ = nullptr;
}

}  // namespace quorvant::engine
