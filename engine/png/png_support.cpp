#include "engine/png/png_support.h"

#include <cstdio>
#include <cstdlib>

namespace quorvant::engine::png {

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

void read_from_file(png_structp png, png_bytep data, size_t length) {
  if (!static_cast<File*>(png_get_io_ptr(png))->read_exact(data, length)) png_error(png, "reading png image error");
}

}  // namespace quorvant::engine::png
