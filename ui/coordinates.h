// Positions and sizes handed to widgets, clamped to what the original
// window system took (its coordinates are 16-bit with room for a border).
// Templates and programs may store any 32-bit number; Qt's rectangles
// overflow on sums near the 32-bit limit.
#pragma once

#include <QRect>
#include <QSize>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cstdint>

namespace quorvant::ui {

constexpr int32_t kLargestCoordinate = 32627;

inline int32_t clamped_position(int32_t value) { return std::clamp(value, -kLargestCoordinate, kLargestCoordinate); }
inline int32_t clamped_extent(int32_t value) { return std::clamp(value, 0, kLargestCoordinate); }

inline QRect clamped_rect(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {clamped_position(left), clamped_position(top), clamped_extent(width), clamped_extent(height)};
}

// A control whose widget reaches past the rectangle it was placed in (a
// label whose text runs on beyond its edges) keeps its placed size in this
// widget property; any other control's placed size is its widget's.
inline constexpr char kPlacedSizeProperty[] = "quorvant-placed-size";
inline QSize placed_size(const QWidget& widget) {
  const QVariant placed = widget.property(kPlacedSizeProperty);
  return placed.isValid() ? placed.toSize() : widget.size();
}

}  // namespace quorvant::ui
