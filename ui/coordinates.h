// Positions and sizes handed to widgets, clamped to what the original
// window system took (its coordinates are 16-bit with room for a border).
// Templates and programs may store any 32-bit number; Qt's rectangles
// overflow on sums near the 32-bit limit.
#pragma once

#include <QRect>
#include <algorithm>
#include <cstdint>

namespace quorvant::ui {

constexpr int32_t kLargestCoordinate = 32627;

inline int32_t clamped_position(int32_t value) { return std::clamp(value, -kLargestCoordinate, kLargestCoordinate); }
inline int32_t clamped_extent(int32_t value) { return std::clamp(value, 0, kLargestCoordinate); }

inline QRect clamped_rect(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {clamped_position(left), clamped_position(top), clamped_extent(width), clamped_extent(height)};
}

}  // namespace quorvant::ui
