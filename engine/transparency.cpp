#include "engine/transparency.h"

namespace quorvant::engine {

namespace {

// a x c + (255 - a) x b, divided by 255 and rounded.
uint8_t blend(uint32_t alpha, uint32_t colour, uint32_t background) {
  const uint32_t sum = alpha * colour + (255 - alpha) * background;
  return static_cast<uint8_t>((sum + 127) / 255);
}

}  // namespace

bool put_over_background(ImageBuffer& picture, uint32_t background, std::string& why) {
  if (picture.bits() != 32) return true;
  ImageBuffer flat;
  if (!flat.create(picture.width(), picture.height(), 24, 0)) {
    why = flat.failure();
    return false;
  }
  const uint32_t red = (background >> 16) & 0xFF;
  const uint32_t green = (background >> 8) & 0xFF;
  const uint32_t blue = background & 0xFF;
  for (int32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* in = picture.row(y);
    uint8_t* out = flat.row(y);
    for (int32_t x = 0; x < picture.width(); ++x, in += 4, out += 3) {
      out[0] = blend(in[0], in[1], red);
      out[1] = blend(in[0], in[2], green);
      out[2] = blend(in[0], in[3], blue);
    }
  }
  picture = std::move(flat);
  return true;
}

}  // namespace quorvant::engine
