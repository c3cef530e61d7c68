// The seven passes of Adam7 interlacing: which pixels each pass holds.
#pragma once

#include <array>
#include <cstdint>

namespace quorvant::engine::png {

struct Adam7Pass {
  int32_t x0, y0;                 // the first pixel of the pass
  int32_t dx, dy;                 // the steps between its pixels
  int32_t width = 0, height = 0;  // its size for a given picture; 0 when it holds nothing

  // The picture row that pass row `row` comes from.
  int32_t picture_row(int32_t row) const { return y0 + row * dy; }
};

inline std::array<Adam7Pass, 7> adam7_passes(int32_t width, int32_t height) {
  std::array<Adam7Pass, 7> passes{
      {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
  for (Adam7Pass& pass : passes) {
    pass.width = width > pass.x0 ? (width - pass.x0 + pass.dx - 1) / pass.dx : 0;
    pass.height = height > pass.y0 ? (height - pass.y0 + pass.dy - 1) / pass.dy : 0;
    if (pass.width == 0 || pass.height == 0) pass.width = pass.height = 0;
  }
  return passes;
}

}  // namespace quorvant::engine::png
