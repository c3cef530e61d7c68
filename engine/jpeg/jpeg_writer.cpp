#include "engine/jpeg/jpeg_writer.h"

#include <cerrno>
#include <cstring>

#include "engine/jpeg/jpeg_markers.h"

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

bool JpegWriter::write_body(File& file, const ImageBuffer& picture) {
  const bool ok = compress(file, picture);
  if (created_) jpeg_destroy_compress(&compress_);
  created_ = false;
  compress_ = {};
  return ok;
}

bool JpegWriter::compress(File& file, const ImageBuffer& picture) {
  compress_.err = codecs::install_errors(errors_, codecs::DamagedData::kFatal);
  if (setjmp(errors_.recovery) != 0) {
    // libjpeg writes through stdio itself: a failed write is the reason.
    if (std::ferror(file.get()) != 0) return fail("cannot write " + destination_name() + ": " + std::strerror(errno));
    return fail(std::string("cannot write the JPEG file: ") + errors_.message);
  }
  created_ = true;  // a zeroed object is safe to destroy even if creation fails
  jpeg_create_compress(&compress_);
  jpeg_stdio_dest(&compress_, file.get());

  const WriteSettings& wanted = settings();
  compress_.image_width = static_cast<JDIMENSION>(picture.width());
  compress_.image_height = static_cast<JDIMENSION>(picture.height());
  compress_.input_components = wanted.colour ? 3 : 1;
  compress_.in_color_space = wanted.colour ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&compress_);
  compress_.optimize_coding = wanted.optimise ? TRUE : FALSE;
  compress_.smoothing_factor = wanted.smoothing;
  jpeg_set_quality(&compress_, wanted.quality, TRUE);
  jpeg_start_compress(&compress_, TRUE);
  if (wanted.embedded != nullptr) write_note_segments(compress_, *wanted.embedded);

  while (compress_.next_scanline < compress_.image_height) {
    if (!picture.rows_ready(static_cast<int32_t>(compress_.next_scanline) + 1)) return fail(kRowsNeverCame);
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(picture.row(static_cast<int32_t>(compress_.next_scanline)));
    jpeg_write_scanlines(&compress_, &row, 1);
    row_written(static_cast<int32_t>(compress_.next_scanline));
  }
  jpeg_finish_compress(&compress_);
  return true;
}

}  // namespace quorvant::engine::jpeg
