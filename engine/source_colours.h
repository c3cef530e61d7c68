// Reading the colour of every pixel of a picture, whatever its depth.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/colour.h"
#include "engine/image_buffer.h"

namespace quorvant::engine {

// The colours of an 8-bit palette picture, one per possible index. An index
// at or beyond the palette count (a file may hold such indices) reads as
// black, so no pixel ever reads outside the palette.
inline std::array<Rgb, 256> palette_colours(const ImageBuffer& picture) {
  std::array<Rgb, 256> colours{};
  const auto palette = picture.palette();
  for (size_t i = 0; i < palette.size() && i < colours.size(); ++i) {
    colours[i] = {palette[i].red, palette[i].green, palette[i].blue};
  }
  return colours;
}

// Calls emit(i, colour) for every pixel i of `picture` in memory order,
// from pixel `first` to before pixel `end` (or the last). The depth is
// dispatched once, so the per-pixel loop inlines `emit`.
template <class Emit>
void for_each_colour(const ImageBuffer& picture, Emit&& emit, size_t first = 0, size_t end = SIZE_MAX) {
  const size_t count = std::min(end, picture.pixel_count());
  const uint8_t* p = picture.pixels();
  switch (picture.bits()) {
    case 8:
      if (picture.palette_count() > 0) {
        const auto colours = palette_colours(picture);
        for (size_t i = first; i < count; ++i) emit(i, colours[p[i]]);
      } else {
        for (size_t i = first; i < count; ++i) emit(i, Rgb{p[i], p[i], p[i]});
      }
      break;
    case 16:
      for (size_t i = first; i < count; ++i) {
        emit(i, decode_colour_code(static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8))));
      }
      break;
    case 24:
      for (size_t i = first; i < count; ++i) emit(i, Rgb{p[3 * i], p[3 * i + 1], p[3 * i + 2]});
      break;
    case 32:  // alpha is dropped
      for (size_t i = first; i < count; ++i) emit(i, Rgb{p[4 * i + 1], p[4 * i + 2], p[4 * i + 3]});
      break;
    default:
      break;
  }
}

}  // namespace quorvant::engine
