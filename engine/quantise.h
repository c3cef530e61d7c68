// Reducing a picture to an 8-bit palette of its most frequent colours.
#pragma once

#include <cstdint>

#include "engine/image_buffer.h"

namespace quorvant::engine {

// Fills `destination`, already created as an 8-bit palette picture of the
// source's size, with palette indices, and sets its palette to at most
// `max_colours` entries (never more than an 8-bit index can name).
//
// Colours are counted by their 16-bit colour code; the palette holds the
// decoded codes of the most frequent ones, sorted by blue, green, red. Each
// pixel gets the entry of its own code when the palette has it, otherwise
// the nearest entry by squared RGB distance.
bool quantise(const ImageBuffer& source, ImageBuffer& destination, int32_t max_colours);

}  // namespace quorvant::engine
