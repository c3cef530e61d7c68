// JPEG as the engine does it. Decoding: libjpeg's default output (RGB for a
// colour file), rows straight into the picture, read on to the end marker.
// Encoding: libjpeg's defaults, quality 75, optimised Huffman tables.
// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "bench/codec_limit/picture.h"

namespace codec_limit {

namespace {

struct Errors {
  jpeg_error_mgr manager;
  std::jmp_buf recovery;
};

[[noreturn]] void jump(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<Errors*>(cinfo->err)->recovery, 1); }

// Holds no object with a destructor across the recovery point.
bool decode(FILE* file, jpeg_decompress_struct& cinfo, Errors& errors, Picture& picture, std::vector<JSAMPROW>& rows) {
  if (setjmp(errors.recovery) != 0) return false;
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = 1L << 30;
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) return false;
  picture.allocate(cinfo.output_width, cinfo.output_height);
  rows.resize(picture.height);
  for (uint32_t y = 0; y < picture.height; ++y) rows[y] = picture.row(y);
  while (cinfo.output_scanline < cinfo.output_height) {
    jpeg_read_scanlines(&cinfo, rows.data() + cinfo.output_scanline, cinfo.output_height - cinfo.output_scanline);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

bool encode(FILE* file, jpeg_compress_struct& cinfo, Errors& errors, const Picture& picture) {
  if (setjmp(errors.recovery) != 0) return false;
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = picture.width;
  cinfo.image_height = picture.height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.optimize_coding = TRUE;
  jpeg_set_quality(&cinfo, 75, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<JSAMPROW>(picture.row(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

bool write_jpeg(const char* path, const Picture& picture) {
  StdioFile file(path, "wb");
  if (file.get() == nullptr) return false;
  Errors errors{};
  jpeg_compress_struct cinfo{};
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jump;
  const bool ok = encode(file.get(), cinfo, errors, picture);
  jpeg_destroy_compress(&cinfo);
  return file.close() && ok;
}

bool read_jpeg(const char* path, Picture& picture) {
  StdioFile file(path, "rb");
  if (file.get() == nullptr) return false;
  Errors errors{};
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jump;
  std::vector<JSAMPROW> rows;
  const bool ok = decode(file.get(), cinfo, errors, picture, rows);
  jpeg_destroy_decompress(&cinfo);
  return ok;
}

}  // namespace codec_limit
