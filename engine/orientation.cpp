#include "engine/orientation.h"

#include <cstring>

namespace quorvant::engine {

namespace {

// Where the pixel shown at (x, y) of the upright picture is stored, for a
// stored picture of `width` x `height`.
struct Source {
  int32_t x;
  int32_t y;
};

Source stored_position(int orientation, int32_t x, int32_t y, int32_t width, int32_t height) {
  switch (orientation) {
    case 2:  // mirrored left to right
      return {width - 1 - x, y};
    case 3:  // turned half round
      return {width - 1 - x, height - 1 - y};
    case 4:  // mirrored top to bottom
      return {x, height - 1 - y};
    case 5:  // mirrored along the main diagonal
      return {y, x};
    case 6:  // stored a quarter anticlockwise: shown turned clockwise
      return {y, height - 1 - x};
    case 7:  // mirrored along the other diagonal
      return {width - 1 - y, height - 1 - x};
    case 8:  // stored a quarter clockwise: shown turned anticlockwise
      return {width - 1 - y, x};
    default:
      return {x, y};
  }
}

}  // namespace

bool turn_upright(ImageBuffer& picture, int orientation, std::string& why) {
  if (orientation < 2 || orientation > 8 || picture.empty()) return true;
  const int32_t width = picture.width();
  const int32_t height = picture.height();
  ImageBuffer turned;
  const int32_t new_width = swaps_sides(orientation) ? height : width;
  const int32_t new_height = swaps_sides(orientation) ? width : height;
  const int32_t palette_count = picture.bits() == 8 ? picture.palette_count() : 0;
  if (!turned.create(new_width, new_height, picture.bits(), palette_count)) {
    why = turned.failure();
    return false;
  }
  std::copy(picture.palette().begin(), picture.palette().end(), turned.palette().begin());
  const auto pixel = static_cast<ptrdiff_t>(picture.bits() / 8);
  const auto stride = static_cast<ptrdiff_t>(picture.stride());
  auto offset = [&](Source at) { return at.y * stride + at.x * pixel; };
  const uint8_t* stored = picture.pixels();
  for (int32_t y = 0; y < new_height; ++y) {
    // Along a shown row the stored position moves by one fixed step.
    ptrdiff_t from = offset(stored_position(orientation, 0, y, width, height));
    const ptrdiff_t step = offset(stored_position(orientation, 1, y, width, height)) - from;
    uint8_t* out = turned.row(y);
    for (int32_t x = 0; x < new_width; ++x, out += pixel, from += step) {
      std::memcpy(out, stored + from, static_cast<size_t>(pixel));
    }
  }
  picture = std::move(turned);
  return true;
}

}  // namespace quorvant::engine
