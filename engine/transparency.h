// Putting a picture with transparency over a background colour, for
// targets that cannot hold transparency.
#pragma once

#include <cstdint>
#include <string>

#include "engine/image_buffer.h"

namespace quorvant::engine {

// Replaces a 32-bit picture (alpha, red, green, blue; straight alpha) by
// the 24-bit picture it makes over `background` (0xRRGGBB). Other pictures
// are left as they are. False when there is no room for the result;
// `picture` is then unchanged and `why` says why.
bool put_over_background(ImageBuffer& picture, uint32_t background, std::string& why);

}  // namespace quorvant::engine
