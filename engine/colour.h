// Colour helpers shared by the image buffer and the codecs.
#pragma once

#include <cstdint>

namespace quorvant::engine {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The 16-bit colour code keeps the top five bits of each channel one bit
// higher than the common 5-5-5 word: red in bits 15-11, green in 10-6, blue
// in 5-1; bit 0 is always 0. 16-bit pixels and the quantiser's histogram
// both use it.
constexpr uint16_t colour_code(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 3) << 6) | ((blue >> 3) << 1));
}

constexpr Rgb decode_colour_code(uint16_t code) {
  return {static_cast<uint8_t>((code >> 8) & 0xF8), static_cast<uint8_t>((code >> 3) & 0xF8),
          static_cast<uint8_t>((code << 2) & 0xF8)};
}

// Weighted grey level; the weights sum to 1024 so the division is a shift.
constexpr uint8_t grey_level(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint8_t>((306u * red + 601u * green + 117u * blue) >> 10);
}

// The key that orders a quantised palette: blue, then green, then red.
constexpr uint32_t palette_sort_key(uint8_t red, uint8_t green, uint8_t blue) {
  return (uint32_t{blue} << 16) | (uint32_t{green} << 8) | red;
}

}  // namespace quorvant::engine
