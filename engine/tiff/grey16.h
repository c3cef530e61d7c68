// 16-bit grey TIFF samples (with or without alpha) reduced to 8 bits with
// rounding, (v × 255 + 32767) / 65535, as 16-bit colour is. libtiff's RGBA
// interface keeps only the high byte of grey and drops its alpha.
#pragma once

#include <tiffio.h>

namespace quorvant::engine::tiff {

// The RGBA interface's routine for contiguous 16-bit grey samples, black or
// white at zero as the file says, the first extra sample as alpha when the
// interface takes one.
void put_grey16(TIFFRGBAImage* image, uint32_t* out, uint32_t, uint32_t, uint32_t width, uint32_t height,
                int32_t from_skew, int32_t to_skew, unsigned char* in);

}  // namespace quorvant::engine::tiff
