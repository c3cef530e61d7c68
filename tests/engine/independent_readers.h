// Readers that share no code with the engine: the picture libraries
// themselves, the netpbm and ImageMagick tools, and a few lines for the one
// format no tool here reads (Softimage PIC). Every one returns the picture
// as 8-bit RGB (grey files with red = green = blue).
#pragma once

#include <string>

#include "tests/support/test_support.h"

namespace quorvant::testing {

Pnm read_png_with_libpng(const std::string& path);
// Colours as libtiff's RGBA interface gives them, except that alpha is
// dropped, never multiplied in: the colours stay as the file stores them.
Pnm read_tiff_with_libtiff(const std::string& path);
// ImageMagick's convert, for PNM files.
Pnm read_with_imagemagick(const std::string& path);
Pnm read_pcx_with_netpbm(const std::string& path);
Pnm read_sgi_with_netpbm(const std::string& path);
Pnm read_pic(const std::string& path);

// Grey samples as RGB.
Pnm as_rgb(const Pnm& picture);

}  // namespace quorvant::testing
