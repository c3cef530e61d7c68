// A deterministic, photo-like picture for benchmarks: smooth light and
// colour changes with a little grain, so that codecs see realistic data.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/image_buffer.h"

namespace quorvant::bench {

inline bool make_test_picture(engine::ImageBuffer& picture, int width, int height) {
  if (!picture.create(width, height, 24, 0)) return false;
  uint32_t grain = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* p = picture.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      grain = grain * 1103515245u + 12345u;
      const int noise = static_cast<int>((grain >> 16) & 15) - 8;
      const double u = x / static_cast<double>(width);
      const double v = y / static_cast<double>(height);
      const double light = 0.55 + 0.35 * std::sin(6.0 * u + 2.0 * v) * std::cos(4.0 * v - u);
      auto channel = [&](double tint) {
        const int value = static_cast<int>(255.0 * light * tint) + noise;
        return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
      };
      p[0] = channel(0.8 + 0.2 * u);
      p[1] = channel(0.7 + 0.3 * std::sin(3.0 * v));
      p[2] = channel(0.6 + 0.4 * v);
    }
  }
  return true;
}

}  // namespace quorvant::bench
