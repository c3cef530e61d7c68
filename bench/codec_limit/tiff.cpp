// TIFF through libtiff's RGBA interface, as the engine reads it: the whole
// raster top row first, stopping at the first damaged strip, then packed
// into red, green, blue.
#include <tiffio.h>

#include <memory>

#include "bench/codec_limit/picture.h"

namespace codec_limit {

namespace {

struct Closer {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

}  // namespace

bool read_tiff(const char* path, Picture& picture) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  const std::unique_ptr<TIFF, Closer> tiff(TIFFOpen(path, "r"));
  uint32_t width = 0;
  uint32_t height = 0;
  if (!tiff || TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
      TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) != 1) {
    return false;
  }
  const auto raster = std::make_unique_for_overwrite<uint32_t[]>(size_t{width} * height);
  if (TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.get(), ORIENTATION_TOPLEFT, 1) == 0) return false;
  picture.allocate(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t* in = raster.get() + size_t{y} * width;
    uint8_t* out = picture.row(y);
    for (uint32_t x = 0; x < width; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(TIFFGetR(in[x]));
      out[1] = static_cast<uint8_t>(TIFFGetG(in[x]));
      out[2] = static_cast<uint8_t>(TIFFGetB(in[x]));
    }
  }
  return true;
}

}  // namespace codec_limit
