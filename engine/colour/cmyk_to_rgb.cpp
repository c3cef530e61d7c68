#include "engine/colour/cmyk_to_rgb.h"

#include "engine/colour/profiles.h"

namespace quorvant::engine::colour {

CmykToRgb::CmykToRgb(std::span<const uint8_t> profile, bool inverted) : inverted_(inverted) {
  const Profile source = open_profile(profile);
  if (!source || cmsGetColorSpace(source.get()) != cmsSigCmykData) return;
  const Profile srgb(cmsCreate_sRGBProfile());
  if (!srgb) return;
  // TYPE_CMYK_8_REV reads 255 as no ink, as Adobe's files store it.
  const cmsUInt32Number input = inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8;
  // The same intent as every other conversion to sRGB. CMYK profiles are
  // tables that lcms2's precalculated 8-bit transform resamples coarsely
  // (some colours come out ten levels off), so each pixel goes through the
  // profile's own pipeline: about 0.3 µs a pixel, less in flat areas, which
  // the one-pixel cache serves (the reader converts on one thread).
  transform_.reset(cmsCreateTransform(source.get(), input, srgb.get(), TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC,
                                      cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOOPTIMIZE));
}

void CmykToRgb::convert(const uint8_t* cmyk, uint8_t* rgb, size_t pixels) const {
  if (transform_) {
    cmsDoTransform(transform_.get(), cmyk, rgb, static_cast<cmsUInt32Number>(pixels));
    return;
  }
  // Without a profile: each channel is what its ink and black leave of the
  // light, (255 − C)(255 − K)/255 with C and K the amounts of ink, rounded
  // down, as ImageMagick's conversion of such files gives it (it agrees on
  // every pair of C and K), so that both show a file alike.
  const unsigned flip = inverted_ ? 0 : 255;
  for (size_t i = 0; i < pixels; ++i, cmyk += 4, rgb += 3) {
    const unsigned light_left = flip ^ cmyk[3];  // 255 − K
    for (int c = 0; c < 3; ++c) rgb[c] = static_cast<uint8_t>((flip ^ cmyk[c]) * light_left / 255);
  }
}

}  // namespace quorvant::engine::colour
