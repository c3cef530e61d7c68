// Icon files: a 6-byte header, one 16-byte directory entry per image, then
// each image as a 32-bit bitmap: a 40-byte information header whose height
// counts the colour rows and the mask rows together, blue-green-red-alpha
// rows bottom-up, and a 1-bit mask (set where the pixel is fully
// transparent) whose rows are padded to 4 bytes, also bottom-up.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QImage>

namespace quorvant::forms::artwork {

// Images up to 256 pixels square, in the order given.
std::vector<uint8_t> encode_icon(std::span<const QImage> images);

}  // namespace quorvant::forms::artwork
