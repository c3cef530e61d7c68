#include "engine/tiff/cielab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace quorvant::engine::tiff {

namespace {

// The D65 white in XYZ, Y = 1.
constexpr double kWhiteX = 0.95047;
constexpr double kWhiteY = 1.0;
constexpr double kWhiteZ = 1.08883;

// The inverse of L*a*b*'s cube-root function, which turns linear below
// (6/29)^3 so that dark colours stay finite.
double lab_to_linear(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  return t > kDelta ? t * t * t : 3.0 * kDelta * kDelta * (t - 4.0 / 29.0);
}

// Linear light to an 8-bit sRGB level, rounded: level k starts where the
// curve reaches k - 0.5, so the 255 starting points, found once by the
// curve's inverse, answer with a binary search instead of a power per
// sample.
class SrgbLevels {
 public:
  SrgbLevels() {
    for (size_t k = 1; k <= starts_.size(); ++k) starts_[k - 1] = to_linear((static_cast<double>(k) - 0.5) / 255.0);
  }

  uint32_t level(double linear) const {
    return static_cast<uint32_t>(std::upper_bound(starts_.begin(), starts_.end(), linear) - starts_.begin());
  }

 private:
  static double to_linear(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
  }

  std::array<double, 255> starts_{};
};

const SrgbLevels& srgb_levels() {
  static const SrgbLevels levels;
  return levels;
}

struct Lab {
  double lightness;
  double a;
  double b;
};

// 8 bits: L* 0..255 for 0..100, a* and b* signed bytes.
Lab lab8(const unsigned char* p) {
  return {p[0] * (100.0 / 255.0), static_cast<double>(static_cast<int8_t>(p[1])),
          static_cast<double>(static_cast<int8_t>(p[2]))};
}

// 16 bits, in the machine's order (libtiff has swapped them): L* 0..65535
// for 0..100, a* and b* signed in 1/256ths.
Lab lab16(const unsigned char* p) {
  uint16_t lightness = 0;
  int16_t a = 0;
  int16_t b = 0;
  std::memcpy(&lightness, p, 2);
  std::memcpy(&a, p + 2, 2);
  std::memcpy(&b, p + 4, 2);
  return {lightness * (100.0 / 65535.0), a / 256.0, b / 256.0};
}

// Puts `height` rows of `width` pixels; after each row the raster moves on
// by `to_skew` words and the samples by `from_skew` pixels, as libtiff's own
// routines do.
template <size_t kSampleBytes, Lab (*kLoad)(const unsigned char*)>
void put_lab(TIFFRGBAImage*, uint32_t* out, uint32_t, uint32_t, uint32_t width, uint32_t height, int32_t from_skew,
             int32_t to_skew, unsigned char* in) {
  constexpr size_t kPixelBytes = 3 * kSampleBytes;
  const auto skipped = static_cast<ptrdiff_t>(from_skew) * static_cast<ptrdiff_t>(kPixelBytes);
  for (uint32_t row = 0; row < height; ++row) {
    for (uint32_t x = 0; x < width; ++x, in += kPixelBytes) {
      const Lab lab = kLoad(in);
      *out++ = lab_to_abgr(lab.lightness, lab.a, lab.b);
    }
    out += to_skew;
    in += skipped;
  }
}

}  // namespace

uint32_t lab_to_abgr(double lightness, double a, double b) {
  const double fy = (lightness + 16.0) / 116.0;
  const double x = kWhiteX * lab_to_linear(fy + a / 500.0);
  const double y = kWhiteY * lab_to_linear(fy);
  const double z = kWhiteZ * lab_to_linear(fy - b / 200.0);
  const SrgbLevels& levels = srgb_levels();
  const uint32_t red = levels.level(3.2404542 * x - 1.5371385 * y - 0.4985314 * z);
  const uint32_t green = levels.level(-0.9692660 * x + 1.8760108 * y + 0.0415560 * z);
  const uint32_t blue = levels.level(0.0556434 * x - 0.2040259 * y + 1.0572252 * z);
  return red | green << 8 | blue << 16 | 0xFF000000u;
}

tileContigRoutine lab_put_routine(uint16_t bits) {
  if (bits == 8) return put_lab<1, lab8>;
  if (bits == 16) return put_lab<2, lab16>;
  return nullptr;
}

}  // namespace quorvant::engine::tiff
