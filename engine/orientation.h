// Turning a picture upright as its EXIF or TIFF orientation says.
#pragma once

#include "engine/image_buffer.h"

namespace quorvant::engine {

// Replaces `picture` by the picture a viewer shows for `orientation` (1 to
// 8, as EXIF numbers them: 6 is turned a quarter clockwise, 2 mirrored left
// to right, ...). Orientation 1, or a number out of range, leaves it as it
// is. False when there is no room for the turned picture; `picture` is then
// unchanged and `why` says why.
bool turn_upright(ImageBuffer& picture, int orientation, std::string& why);

// Whether `orientation` swaps the picture's width and height.
inline bool swaps_sides(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace quorvant::engine
