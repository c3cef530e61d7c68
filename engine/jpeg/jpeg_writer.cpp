#include "engine/jpeg/jpeg_writer.h"

namespace quorvant::engine::jpeg {

bool JpegWriter::open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
                      ProgressCallback progress) {
  close();
  if (source.width() < 1 || source.height() < 1) return false;
  path_ = path;
  source_ = &source;
  settings_ = settings;
  progress_ = std::move(progress);
  return true;
}

bool JpegWriter::write() {
  if (source_ == nullptr) return false;
  // Colour needs 24-bit pixels and grey 8-bit grey levels; any other picture
  // (a palette picture among them) is converted through its colours first.
  const uint32_t bits = settings_.colour ? 24 : 8;
  ImageBuffer converted;
  const ImageBuffer* picture = in_form(*source_, bits, 0, converted);
  if (picture == nullptr) {
    close();
    return false;
  }
  file_ = File::open_write(path_);
  bool ok = file_ && compress(*picture);
  report_progress(progress_, kPhaseWriting, source_->height() - 1, source_->height());
  if (created_) {
    jpeg_destroy_compress(&compress_);
    created_ = false;
  }
  ok = file_.close() && ok;
  close();
  return ok;
}

bool JpegWriter::compress(const ImageBuffer& picture) {
  compress_.err = install_errors(errors_);
  if (setjmp(errors_.recovery) != 0) return false;
  created_ = true;  // a zeroed object is safe to destroy even if creation fails
  jpeg_create_compress(&compress_);
  jpeg_stdio_dest(&compress_, file_.get());

  compress_.image_width = static_cast<JDIMENSION>(picture.width());
  compress_.image_height = static_cast<JDIMENSION>(picture.height());
  compress_.input_components = settings_.colour ? 3 : 1;
  compress_.in_color_space = settings_.colour ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&compress_);
  compress_.optimize_coding = settings_.optimise ? TRUE : FALSE;
  compress_.smoothing_factor = settings_.smoothing;
  jpeg_set_quality(&compress_, settings_.quality, TRUE);
  jpeg_start_compress(&compress_, TRUE);

  while (compress_.next_scanline < compress_.image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(picture.row(static_cast<int32_t>(compress_.next_scanline)));
    jpeg_write_scanlines(&compress_, &row, 1);
    report_progress(progress_, kPhaseWriting, static_cast<int32_t>(compress_.next_scanline), picture.height());
  }
  jpeg_finish_compress(&compress_);
  return true;
}

void JpegWriter::close() {
  if (created_) jpeg_destroy_compress(&compress_);
  created_ = false;
  compress_ = {};
  file_.close();
  path_.clear();
  source_ = nullptr;
  progress_ = nullptr;
}

}  // namespace quorvant::engine::jpeg
