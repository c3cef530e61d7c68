// codec_limit MODE IN OUT: one conversion done by calling libjpeg, libpng
// and libtiff directly, with the settings quorvant's engine gives them and
// none of the engine's code. bench/compare times quorvant-convert against
// it: what remains between the two is the engine's own overhead.
//
//   jpeg-bmp  JPEG (colour) to 24-bit bottom-up BMP
//   png-bmp   8-bit RGB PNG to BMP
//   tiff-bmp  8-bit RGB TIFF to BMP
//   bmp-png   24-bit BMP to Adam7-interlaced PNG at libpng's default level
//   jpeg-png  JPEG (colour) to that PNG
//   jpeg-jpeg JPEG (colour) to JPEG at quality 75 with optimised tables
#include <cstdio>
#include <cstring>

#include "bench/codec_limit/picture.h"

namespace {

struct Mode {
  const char* name;
  bool (*read)(const char*, codec_limit::Picture&);
  bool (*write)(const char*, const codec_limit::Picture&);
};

constexpr Mode kModes[] = {
    {"jpeg-bmp", codec_limit::read_jpeg, codec_limit::write_bmp},
    {"png-bmp", codec_limit::read_png, codec_limit::write_bmp},
    {"tiff-bmp", codec_limit::read_tiff, codec_limit::write_bmp},
    {"bmp-png", codec_limit::read_bmp, codec_limit::write_png},
    {"jpeg-png", codec_limit::read_jpeg, codec_limit::write_png},
    {"jpeg-jpeg", codec_limit::read_jpeg, codec_limit::write_jpeg},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4) {
    for (const Mode& mode : kModes) {
      if (std::strcmp(argv[1], mode.name) != 0) continue;
      codec_limit::Picture picture;
      if (mode.read(argv[2], picture) && mode.write(argv[3], picture)) return 0;
      std::fprintf(stderr, "codec_limit: %s %s -> %s failed\n", argv[1], argv[2], argv[3]);
      return 1;
    }
  }
  std::fprintf(stderr, "usage: codec_limit jpeg-bmp|png-bmp|tiff-bmp|bmp-png|jpeg-png|jpeg-jpeg IN OUT\n");
  return 2;
}
