#include "engine/png/png_support.h"

#include <cstdio>
#include <cstdlib>

namespace quorvant::engine::png {

namespace {
constexpr png_uint_32 kPictureDataChunk = 0x49444154;  // "IDAT"
}  // namespace

void jump_to_recovery(png_structp png, png_const_charp message) {
  auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
  std::snprintf(errors->message, sizeof errors->message, "%s", message != nullptr ? message : "");
  std::longjmp(errors->recovery, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

png_voidp limited_malloc(png_structp, png_alloc_size_t size) {
  return size <= kLargestBlock ? std::malloc(size) : nullptr;
}

void limited_free(png_structp, png_voidp block) { std::free(block); }

void read_input(png_structp png, png_bytep data, size_t length) {
  auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
  // libpng finishes its data after the last row of the last pass: row
  // numbers then stand at the height, or the pass past Adam7's seven.
  if (!input->rows_complete && input->height > 0) {
    input->rows_complete = input->interlaced ? png_get_current_pass_number(png) >= 7
                                             : png_get_current_row_number(png) >= input->height;
  }
  const bool picture_data = (png_get_io_state(png) & PNG_IO_MASK_LOC) == PNG_IO_CHUNK_DATA &&
                            png_get_io_chunk_type(png) == kPictureDataChunk;
  if (input->rows_complete && picture_data) {
    input->data_after_rows += length;
    if (input->data_after_rows > kMostDataAfterRows) png_error(png, "the compressed data runs on far past the picture");
  }
  if (!input->file->read_exact(data, length)) {
    input->file_ended = std::ferror(input->file->get()) == 0;
    png_error(png, "reading png image error");
  }
}

}  // namespace quorvant::engine::png
