#include "engine/png/png_reader.h"

#include "engine/png/png_notes.h"

namespace quorvant::engine::png {

namespace {

constexpr double kScreenGamma = 2.2;
// The gamma of an sRGB file, and of a file that does not say.
constexpr double kDefaultFileGamma = 0.45455;

}  // namespace

bool PngReader::read_header() {
  png_ = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &errors_, jump_to_recovery, ignore_warning, nullptr,
                                  limited_malloc, limited_free);
  if (png_ == nullptr) return false;
  info_ = png_create_info_struct(png_);
  if (info_ == nullptr) return false;
  if (setjmp(errors_.recovery) != 0) {
    if (png_known_) fail(std::string("damaged PNG data: ") + errors_.message);
    return false;
  }
  uint8_t signature[8];
  png_known_ = file_.read_exact(signature, sizeof signature) && png_sig_cmp(signature, 0, sizeof signature) == 0;
  if (!png_known_) return false;
  png_set_sig_bytes(png_, sizeof signature);
  input_ = {&file_};
  png_set_read_fn(png_, &input_, read_input);
  png_read_info(png_, info_);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 0;
  int colour_type = 0;
  int interlace = 0;
  png_get_IHDR(png_, info_, &width, &height, &depth, &colour_type, &interlace, nullptr, nullptr);
  input_.height = height;
  input_.interlaced = interlace != PNG_INTERLACE_NONE;
  if (depth > 8 && !read_options().more_kinds) return fail("PNG files of 16 bits a sample are not read");
  sixteen_bits_ = depth > 8;
  png_set_packing(png_);  // one sample per byte below 8 bits

  // Transparency, when it is kept: an alpha channel or a tRNS chunk makes
  // any file 32 bits.
  keep_alpha_ = read_options().alpha &&
                ((colour_type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png_, info_, PNG_INFO_tRNS) != 0);
  if (keep_alpha_) {
    kind_ = Kind::kRgbAlpha;
  } else if (colour_type == PNG_COLOR_TYPE_PALETTE) {
    kind_ = Kind::kPalette;
  } else if ((colour_type & PNG_COLOR_MASK_COLOR) != 0) {
    kind_ = (colour_type & PNG_COLOR_MASK_ALPHA) != 0 ? Kind::kRgbAlpha : Kind::kRgb;
  } else {
    kind_ = Kind::kGrey;
    has_alpha_ = (colour_type & PNG_COLOR_MASK_ALPHA) != 0;
    // Scales 1-, 2- and 4-bit grey to 0..255. (The general png_set_expand
    // would also turn a tRNS chunk into a second sample per pixel.)
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png_);
  }
  if (notes() != nullptr) note_chunks(png_, info_, *notes());
  width_ = static_cast<int32_t>(width);
  height_ = static_cast<int32_t>(height);
  if (std::string why = picture_size_refusal(width_, height_, bits()); !why.empty()) return fail(std::move(why));
  // The rows as stored, each with its filter byte, are what the deflate
  // data unpacks to (interlaced files a little more).
  const uint64_t stored_bytes = (uint64_t{png_get_rowbytes(png_, info_)} + 1) * height;
  std::string why = claimed_size_refusal("PNG", stored_bytes, file_.size().value_or(0), kDeflateLargestRatio);
  return why.empty() || fail(std::move(why));
}

bool PngReader::decode() {
  if (setjmp(errors_.recovery) != 0) {
    // Every row is in the picture once libpng finishes its data: a file
    // that merely ends after that (its end chunk cut off) loses nothing.
    if (input_.rows_complete && input_.file_ended) return true;
    return fail(file_.failure()) || fail(std::string("damaged PNG data: ") + errors_.message);
  }

  int32_t palette_count = 0;
  png_colorp palette = nullptr;
  if (kind_ == Kind::kPalette && png_get_PLTE(png_, info_, &palette, &palette_count) != PNG_INFO_PLTE) {
    return fail("the palette PNG has no palette");
  }
  if (palette_count > 256) return fail("the PNG palette has more than 256 entries");
  if (target_->width() != width_ || target_->height() != height_ || target_->bits() != bits() ||
      target_->palette_count() != palette_count) {
    if (!target_->create(width_, height_, bits(), palette_count)) return fail(target_->failure());
  }
  // The palette is taken as the file gives it, before any gamma correction.
  for (int32_t i = 0; i < palette_count; ++i) {
    target_->palette()[static_cast<size_t>(i)] = {palette[i].red, palette[i].green, palette[i].blue, 0, 0};
  }

  // Colours as stored are left for the notes' colour space to convert.
  if (!read_options().stored_colours) {
    int srgb_intent = 0;
    double file_gamma = kDefaultFileGamma;
    if (png_get_sRGB(png_, info_, &srgb_intent) == 0 && png_get_gAMA(png_, info_, &file_gamma) == 0) {
      file_gamma = kDefaultFileGamma;
    }
    png_set_gamma(png_, kScreenGamma, file_gamma);
  }
  // round(v × 255 / 65535), as the reduction to 8 bits should be (not the
  // truncation of png_set_strip_16).
  if (sixteen_bits_) png_set_scale_16(png_);
  if (keep_alpha_) {
    // Palette to RGB, grey below 8 bits to 8, tRNS to an alpha channel;
    // grey to RGB.
    png_set_expand(png_);
    png_set_gray_to_rgb(png_);
  }
  png_set_swap_alpha(png_);  // RGBA in the file, ARGB in the picture
  if (has_alpha_) png_set_strip_alpha(png_);
  const int passes = png_set_interlace_handling(png_);
  png_read_update_info(png_, info_);
  // Whatever libpng was asked to do, a row must fill exactly one picture row.
  if (png_get_rowbytes(png_, info_) != target_->stride()) return fail("the PNG's rows do not fit its picture");

  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t y = 0; y < height_; ++y) {
      png_bytep row = target_->row(y);
      png_read_rows(png_, &row, nullptr, 1);
      report_progress(progress_, kPhaseReading, height_ - 1, height_);
    }
  }
  // Reading on to the end checks the data's checksum and the chunks after
  // it.
  // eXIf and iTXt may follow the picture data; libpng keeps what follows
  // only in an info structure it is given.
  if (notes() != nullptr) {
    png_read_end(png_, info_);
    note_chunks(png_, info_, *notes());
  } else {
    png_read_end(png_, nullptr);
  }
  return true;
}

void PngReader::close_format() {
  if (png_ != nullptr) png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
  png_ = nullptr;
  info_ = nullptr;
  input_ = {};
  kind_ = Kind::kRgb;
  has_alpha_ = false;
  keep_alpha_ = false;
  sixteen_bits_ = false;
  png_known_ = false;
}

}  // namespace quorvant::engine::png
