// CMYK pixels (JPEG's four-component files) to sRGB: through the file's
// CMYK profile when it has one lcms2 can use, else by the plain inverse
// of the ink amounts that most converters use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/colour/lcms_handles.h"

namespace quorvant::engine::colour {

class CmykToRgb {
 public:
  // `profile`: the file's ICC profile, or empty; one that is not a CMYK
  // profile, or that lcms2 cannot read, is ignored. `inverted`: the samples
  // are stored as Adobe's software stores them, 255 for no ink.
  CmykToRgb(std::span<const uint8_t> profile, bool inverted);

  // Whether the profile is used (the colours come out as sRGB).
  bool uses_profile() const { return transform_ != nullptr; }

  // Converts `pixels` CMYK pixels (four bytes each) into RGB (three bytes).
  void convert(const uint8_t* cmyk, uint8_t* rgb, size_t pixels) const;

  // The memory a converter holds, at most: lcms2's tables for a CMYK
  // profile.
  static constexpr uint64_t kWorkingBytes = uint64_t{2} << 20;

 private:
  Transform transform_;
  bool inverted_;
};

}  // namespace quorvant::engine::colour
