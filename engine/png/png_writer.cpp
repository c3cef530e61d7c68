#include "engine/png/png_writer.h"

#include <algorithm>

namespace quorvant::engine::png {

namespace {
// libpng refuses larger headers unless told otherwise (its user limits).
constexpr int32_t kLargestSide = 1000000;
}  // namespace

WriterNeeds PngWriter::needs(const WriteSettings& settings) const {
  WriterNeeds needs;
  const bool palette = settings.bits == 8 && settings.palette_count >= 1 && settings.palette_count <= 256;
  needs.valid = palette || settings.bits == 24 || settings.bits == 32;
  needs.bits = settings.bits;
  needs.palette_count = palette ? settings.palette_count : 0;
  needs.largest_width = kLargestSide;
  needs.largest_height = kLargestSide;
  needs.limited_by = "PNG files are written up to a million pixels a side";
  return needs;
}

bool PngWriter::write_body(File& file, const ImageBuffer& picture) {
  const bool ok = encode(file, picture);
  if (png_ != nullptr) png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr);
  png_ = nullptr;
  info_ = nullptr;
  // A failed write of the file is the reason, not libpng's report of it.
  return ok || fail(file.failure()) || fail(std::string("cannot write the PNG file: ") + errors_.message);
}

bool PngWriter::encode(File& file, const ImageBuffer& picture) {
  png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors_, jump_to_recovery, ignore_warning);
  if (png_ == nullptr) return false;
  info_ = png_create_info_struct(png_);
  if (info_ == nullptr) return false;
  if (setjmp(errors_.recovery) != 0) return false;
  png_set_write_fn(png_, &file, write_to_file, flush_file);

  int colour_type = PNG_COLOR_TYPE_RGB;
  if (picture.bits() == 8) {
    colour_type = PNG_COLOR_TYPE_PALETTE;
  } else if (picture.bits() == 32) {
    colour_type = PNG_COLOR_TYPE_RGB_ALPHA;
  }
  png_set_IHDR(png_, info_, static_cast<png_uint_32>(picture.width()), static_cast<png_uint_32>(picture.height()), 8,
               colour_type, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) {
    const auto entries = picture.palette();
    const int count = static_cast<int>(std::min<size_t>(entries.size(), palette_.size()));
    for (int i = 0; i < count; ++i)
      palette_[static_cast<size_t>(i)] = {entries[i].red, entries[i].green, entries[i].blue};
    png_set_PLTE(png_, info_, palette_.data(), count);
  }
  png_write_info(png_, info_);
  // 32-bit pictures hold alpha first; the file wants it last.
  if (colour_type == PNG_COLOR_TYPE_RGB_ALPHA) png_set_swap_alpha(png_);

  const int passes = png_set_interlace_handling(png_);
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t y = 0; y < picture.height(); ++y) {
      // libpng takes non-const rows but only reads them.
      png_bytep row = const_cast<png_bytep>(picture.row(y));
      png_write_rows(png_, &row, 1);
      row_written(y);
    }
  }
  png_write_end(png_, nullptr);
  return true;
}

}  // namespace quorvant::engine::png
