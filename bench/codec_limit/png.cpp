// PNG through libpng with the engine's settings: on reading, one byte per
// sample and gamma correction to a 2.2 screen (no change for an sRGB file);
// on writing, Adam7 interlacing at libpng's default compression and filters.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "bench/codec_limit/picture.h"

namespace codec_limit {

namespace {

constexpr double kScreenGamma = 2.2;
constexpr double kDefaultFileGamma = 0.45455;

[[noreturn]] void jump(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quiet(png_structp, png_const_charp) {}

std::vector<png_bytep> row_pointers(Picture& picture) {
  std::vector<png_bytep> rows(picture.height);
  for (uint32_t y = 0; y < picture.height; ++y) rows[y] = picture.row(y);
  return rows;
}

// Holds no object with a destructor across the recovery point.
bool decode(png_structp png, png_infop info, FILE* file, Picture& picture, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_read_info(png, info);
  if (png_get_bit_depth(png, info) != 8 || png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB) return false;
  png_set_packing(png);
  int intent = 0;
  double file_gamma = kDefaultFileGamma;
  if (png_get_sRGB(png, info, &intent) == 0 && png_get_gAMA(png, info, &file_gamma) == 0) {
    file_gamma = kDefaultFileGamma;
  }
  png_set_gamma(png, kScreenGamma, file_gamma);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  picture.allocate(png_get_image_width(png, info), png_get_image_height(png, info));
  if (png_get_rowbytes(png, info) != picture.stride()) return false;
  rows = row_pointers(picture);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

bool encode(png_structp png, png_infop info, FILE* file, const Picture& picture, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_interlace_handling(png);
  // libpng takes non-const rows but only reads them.
  rows = row_pointers(const_cast<Picture&>(picture));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool read_png(const char* path, Picture& picture) {
  StdioFile file(path, "rb");
  if (file.get() == nullptr) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jump, quiet);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows;
  const bool ok = info != nullptr && decode(png, info, file.get(), picture, rows);
  png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  return ok;
}

bool write_png(const char* path, const Picture& picture) {
  StdioFile file(path, "wb");
  if (file.get() == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jump, quiet);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows;
  bool ok = info != nullptr && encode(png, info, file.get(), picture, rows);
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  return file.close() && ok;
}

}  // namespace codec_limit
