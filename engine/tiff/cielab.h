// CIE L*a*b* TIFF samples shown in sRGB, as other picture programs show
// them: the D65 white, sRGB's primaries and its curve (with the linear
// segment near black), rounded to 8 bits. libtiff's own conversion assumes
// another white and a plain power curve, which washes colours out.
#pragma once

#include <tiffio.h>

#include <cstdint>

namespace quorvant::engine::tiff {

// L* in 0..100, a* and b* signed, to libtiff's packed ABGR raster word
// (opaque).
uint32_t lab_to_abgr(double lightness, double a, double b);

// The RGBA interface's routine for contiguous L*a*b* samples of `bits`
// (8: L* 0..255, a* and b* signed bytes; 16: L* 0..65535, a* and b* signed
// in 1/256ths), or nullptr for other depths.
tileContigRoutine lab_put_routine(uint16_t bits);

}  // namespace quorvant::engine::tiff
