// Reducing a picture to at most 256 colours for 8-bit files.
#pragma once

#include <cstdint>
#include <vector>

#include <QImage>
#include <QRgb>

namespace quorvant::forms::artwork {

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<QRgb> palette;     // at most 256 opaque colours
  std::vector<uint8_t> indices;  // one per pixel, top row first
};

// The palette holds the picture's own colours, in the order they are first
// met from the top-left pixel on, so the top-left colour is always entry 0.
// A picture of more than 256 colours keeps its top-left colour exactly and
// takes every other pixel to the nearest colour of a fixed 6 x 7 x 6 colour
// cube, which is deterministic and good enough for shaded flat art. Alpha is
// ignored.
IndexedImage index_colours(const QImage& image);

}  // namespace quorvant::forms::artwork
