#include "engine/colour/separable_rgb.h"

#include <algorithm>
#include <cmath>

#include "engine/colour/lcms_handles.h"

namespace quorvant::engine::colour {

namespace {

constexpr cmsUInt32Number kIntent = INTENT_RELATIVE_COLORIMETRIC;
constexpr cmsUInt32Number kFlags = cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE;

// sRGB's primaries and white (D65) with a straight line for a curve.
Profile linear_srgb_profile() {
  const cmsCIExyY d65{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
  const ToneCurve straight(cmsBuildGamma(nullptr, 1.0));
  if (!straight) return nullptr;
  cmsToneCurve* curves[3] = {straight.get(), straight.get(), straight.get()};
  return Profile(cmsCreateRGBProfile(&d65, &primaries, curves));
}

// sRGB's curve from linear to encoded, and back.
double srgb_decode(double encoded) {
  return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// The lattice the fast path is checked on: 9 levels a channel.
constexpr int kLatticeSteps = 9;
uint8_t lattice_level(int step) { return static_cast<uint8_t>(std::min(255, step * 32)); }

}  // namespace

std::optional<SeparableRgbToSrgb> SeparableRgbToSrgb::make(void* source) {
  const Profile linear = linear_srgb_profile();
  const Profile srgb(cmsCreate_sRGBProfile());
  if (!linear || !srgb) return std::nullopt;
  const Transform to_linear(cmsCreateTransform(source, TYPE_RGB_DBL, linear.get(), TYPE_RGB_DBL, kIntent, kFlags));
  const Transform to_srgb(cmsCreateTransform(source, TYPE_RGB_DBL, srgb.get(), TYPE_RGB_DBL, kIntent, kFlags));
  if (!to_linear || !to_srgb) return std::nullopt;

  // Black, then every level of red alone, green alone, blue alone.
  std::vector<double> colours(3 * (1 + 3 * 256), 0.0);
  for (size_t channel = 0; channel < 3; ++channel) {
    for (size_t level = 0; level < 256; ++level) colours[3 * (1 + channel * 256 + level) + channel] = level / 255.0;
  }
  std::vector<double> linear_colours(colours.size());
  cmsDoTransform(to_linear.get(), colours.data(), linear_colours.data(),
                 static_cast<cmsUInt32Number>(colours.size() / 3));

  SeparableRgbToSrgb fast;
  for (size_t channel = 0; channel < 3; ++channel) {
    for (size_t level = 0; level < 256; ++level) {
      for (size_t out = 0; out < 3; ++out) {
        double share = linear_colours[3 * (1 + channel * 256 + level) + out] - linear_colours[out];
        if (channel == 0) share += linear_colours[out];
        // A share beyond a few times the range is clamped anyway; bounding
        // it keeps the sums inside 32 bits.
        share = std::clamp(share, -4.0, 4.0);
        const auto biased = static_cast<uint64_t>(std::lround(share * kOne) + kShareBias);
        fast.packed_[channel][level] |= biased << (out * kFieldBits);
      }
    }
  }
  // The level nearest a linear value: the count of levels whose lower
  // halfway point lies at or below it.
  fast.encode_.assign(kOne + 1, 0);
  int32_t next_from = 0;
  for (int level = 1; level <= 255; ++level) {
    const auto from = static_cast<int32_t>(std::ceil(srgb_decode((level - 0.5) / 255.0) * kOne));
    std::fill(fast.encode_.begin() + std::clamp(next_from, 0, kOne + 1),
              fast.encode_.begin() + std::clamp(from, 0, kOne + 1), static_cast<uint8_t>(level - 1));
    next_from = std::max(next_from, from);
  }
  std::fill(fast.encode_.begin() + std::clamp(next_from, 0, kOne + 1), fast.encode_.end(), uint8_t{255});

  // The source is of that form when the tables give lcms2's answer on a
  // lattice over the whole cube, within a level.
  constexpr size_t kLattice = kLatticeSteps * kLatticeSteps * kLatticeSteps;
  std::vector<uint8_t> quick(3 * kLattice);
  std::vector<double> exact(3 * kLattice);
  size_t at = 0;
  for (int r = 0; r < kLatticeSteps; ++r) {
    for (int g = 0; g < kLatticeSteps; ++g) {
      for (int b = 0; b < kLatticeSteps; ++b) {
        for (int step : {r, g, b}) {
          quick[at] = lattice_level(step);
          exact[at++] = lattice_level(step) / 255.0;
        }
      }
    }
  }
  cmsDoTransform(to_srgb.get(), exact.data(), exact.data(), kLattice);
  fast.convert(quick.data(), kLattice, 3, 0);
  for (size_t i = 0; i < quick.size(); ++i) {
    const double expected = std::clamp(exact[i], 0.0, 1.0) * 255.0;
    if (!(std::abs(quick[i] - expected) <= 1.0)) return std::nullopt;
  }
  return fast;
}

void SeparableRgbToSrgb::convert(uint8_t* pixels, size_t count, size_t pixel_bytes, size_t red_at) const {
  const uint8_t* encode = encode_.data();
  const auto level = [encode](uint64_t sum, int field) {
    const auto linear = static_cast<int32_t>((sum >> (field * kFieldBits)) & kFieldMask) - 3 * kShareBias;
    return encode[std::clamp(linear, 0, kOne)];
  };
  for (uint8_t* pixel = pixels + red_at; count > 0; --count, pixel += pixel_bytes) {
    // One addition sums the three channels' shares of red, green and blue.
    const uint64_t sum = packed_[0][pixel[0]] + packed_[1][pixel[1]] + packed_[2][pixel[2]];
    // Every look-up before the first store: a store through a byte pointer
    // could alias the tables, and would make the compiler read them again.
    const uint8_t red = level(sum, 0);
    const uint8_t green = level(sum, 1);
    const uint8_t blue = level(sum, 2);
    pixel[0] = red;
    pixel[1] = green;
    pixel[2] = blue;
  }
}

}  // namespace quorvant::engine::colour
