#include "engine/jpeg/jpeg_writer.h"

namespace quorvant::engine::jpeg {

WriterNeeds JpegWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs;
  // Colour needs 24-bit pixels and grey 8-bit grey levels; any other picture
  // (a palette picture among them) is converted through its colours first.
  needs.bits = settings.colour ? 24 : 8;
  needs.largest_width = JPEG_MAX_DIMENSION;
  needs.largest_height = JPEG_MAX_DIMENSION;
  needs.limited_by = "JPEG files hold at most 65500 pixels a side";
  return needs;
}

uint64_t JpegWriter::working_memory(const WriteSettings& settings, int32_t width, int32_t height) const {
  if (!settings.optimise) return 0;
  // 128 bytes of coefficients per 8 x 8 block: for colour, full-size luma
  // and two chroma planes of a quarter size (libjpeg's default sampling).
  const uint64_t blocks = ((static_cast<uint64_t>(width) + 15) / 16) * ((static_cast<uint64_t>(height) + 15) / 16);
  return blocks * (settings.colour ? 6 : 4) * sizeof(JBLOCK);
}

bool JpegWriter::start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings,
                       ProgressCallback progress) {
  file_ = File::adopt(std::move(file), destination_name());
  if (!file_) return fail(file_.failure());
  picture_ = &picture;
  settings_ = settings;
  progress_ = std::move(progress);
  return true;
}

bool JpegWriter::write_format() {
  bool ok = compress();
  report_progress(progress_, kPhaseWriting, picture_->height() - 1, picture_->height());
  if (created_) {
    jpeg_destroy_compress(&compress_);
    created_ = false;
  }
  ok = file_.close() && ok;
  return ok || fail(file_.failure());
}

bool JpegWriter::compress() {
  compress_.err = install_errors(errors_);
  if (setjmp(errors_.recovery) != 0) return fail(errors_.message);
  created_ = true;  // a zeroed object is safe to destroy even if creation fails
  jpeg_create_compress(&compress_);
  jpeg_stdio_dest(&compress_, file_.get());

  compress_.image_width = static_cast<JDIMENSION>(picture_->width());
  compress_.image_height = static_cast<JDIMENSION>(picture_->height());
  compress_.input_components = settings_.colour ? 3 : 1;
  compress_.in_color_space = settings_.colour ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&compress_);
  compress_.optimize_coding = settings_.optimise ? TRUE : FALSE;
  compress_.smoothing_factor = settings_.smoothing;
  jpeg_set_quality(&compress_, settings_.quality, TRUE);
  jpeg_start_compress(&compress_, TRUE);

  while (compress_.next_scanline < compress_.image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(picture_->row(static_cast<int32_t>(compress_.next_scanline)));
    jpeg_write_scanlines(&compress_, &row, 1);
    report_progress(progress_, kPhaseWriting, static_cast<int32_t>(compress_.next_scanline), picture_->height());
  }
  jpeg_finish_compress(&compress_);
  return true;
}

void JpegWriter::close_format() {
  if (created_) jpeg_destroy_compress(&compress_);
  created_ = false;
  compress_ = {};
  file_.close();
  picture_ = nullptr;
  settings_ = {};
  progress_ = nullptr;
}

}  // namespace quorvant::engine::jpeg
