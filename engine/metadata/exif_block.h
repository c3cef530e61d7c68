// Reading and editing an EXIF block (TIFF-structured bytes, from the
// byte-order mark on) through libexif. Hostile blocks (loops, offsets
// outside the block, deeply nested directories) are libexif's to survive;
// what it cannot make sense of reads as no tag.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quorvant::engine::metadata {

// The Orientation tag of the block's first directory: 1 to 8; 1 when the
// block has none or an invalid one.
int exif_orientation(std::span<const uint8_t> exif);

// What a conversion changes in the metadata it carries.
struct ExifEdits {
  bool reset_orientation = false;  // the pixels were turned upright: Orientation 1
  bool drop_thumbnail = false;     // the thumbnail shows the picture as it was stored
  bool drop_location = false;      // no GPS data
  bool any() const { return reset_orientation || drop_thumbnail || drop_location; }
};

// The block with `edits` made; the block itself, byte for byte, when there
// is nothing to change; empty when it cannot be read.
std::vector<uint8_t> edited_exif(std::span<const uint8_t> exif, const ExifEdits& edits);

// The XMP packet with the same edits: tiff:Orientation 1, no exif:GPS
// properties.
std::vector<uint8_t> edited_xmp(std::span<const uint8_t> xmp, const ExifEdits& edits);

}  // namespace quorvant::engine::metadata
