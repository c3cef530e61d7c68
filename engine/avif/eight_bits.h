// What the AVIF and HEIC readers share: samples deeper than 8 bits brought
// to 8, and the EXIF block of an ISO media file brought to the form the
// notes keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvant::engine {

// Reduces `count` samples of `depth` bits (9..16) to 8 bits, each to the
// nearest 8-bit level: (v × 255 + max / 2) / max with max = 2^depth − 1.
// A sample above max (the decoder's overshoot) is taken as max.
// `from` and `to` may not overlap.
void reduce_to_eight_bits(const uint16_t* from, size_t count, uint32_t depth, uint8_t* to);

// An EXIF item as ISO media files store it, from its byte-order mark on:
// the item starts with a 4-byte big-endian offset from its end to the TIFF
// header; some writers leave the offset out or put "Exif\0\0" before the
// header. Empty when no TIFF header is found.
std::vector<uint8_t> tiff_structured_exif(std::span<const uint8_t> item);

}  // namespace quorvant::engine
