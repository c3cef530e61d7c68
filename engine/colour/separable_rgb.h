// A fast path for the common case of converting RGB pictures to sRGB: a
// source profile of three tone curves and a matrix (Adobe RGB, ProPhoto,
// Display P3, PNG's gAMA and cHRM) makes each linear sRGB channel a sum of
// one table entry per source channel, then sRGB's curve. lcms2 computes the
// tables in floating point; the pixels then take a few table look-ups
// each, several times faster than lcms2's general 8-bit transform.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvant::engine::colour {

class SeparableRgbToSrgb {
 public:
  // The conversion from `source` (an lcms2 RGB profile) to sRGB, relative
  // colorimetric with black-point compensation; null when the profile is
  // not of that form (a table-based profile), checked by comparing a
  // lattice of colours with lcms2's own floating-point answer.
  static std::optional<SeparableRgbToSrgb> make(void* source);

  // Converts `count` pixels in place, `pixel_bytes` apart (3 for RGB, 4 for
  // alpha first), the red sample `red_at` bytes into each.
  void convert(uint8_t* pixels, size_t count, size_t pixel_bytes, size_t red_at) const;

 private:
  SeparableRgbToSrgb() = default;
  // Linear sRGB in 1/kOne steps.
  static constexpr int32_t kOne = 1 << 14;

  // Each source channel's share of each linear sRGB channel, for each
  // level (red's includes what black itself gives): within ±4, plus a bias
  // that makes it positive, the three shares of a level packed into one
  // word in fields wide enough for the sum of three.
  static constexpr int32_t kShareBias = 4 * kOne;
  static constexpr int kFieldBits = 21;
  static constexpr uint64_t kFieldMask = (uint64_t{1} << kFieldBits) - 1;
  std::array<std::array<uint64_t, 256>, 3> packed_{};
  // sRGB's curve: the level nearest each linear value 0..kOne.
  std::vector<uint8_t> encode_;
};

}  // namespace quorvant::engine::colour
