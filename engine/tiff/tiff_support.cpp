#include "engine/tiff/tiff_support.h"

#include <tiffio.h>

#include <mutex>

namespace quorvant::engine::tiff {

void silence_libtiff() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

}  // namespace quorvant::engine::tiff
