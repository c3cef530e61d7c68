// What a picture file says besides its pixels, and what a reader is asked
// to make of the file beyond the plain picture. Both serve conversions that
// keep a photo's orientation, colours, transparency and metadata; a reader
// asked for nothing (the default) reads as it always has, and the window's
// conversions never ask.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvant::engine {

// PNG's colour chunks, which describe the colour space as an ICC profile
// would: sRGB, or a gamma with optional chromaticities.
struct PngColourChunks {
  bool srgb = false;
  std::optional<double> gamma;  // the file's gamma (0.45455 for 2.2)
  // White point and primaries as CIE x, y: white, red, green, blue.
  std::optional<std::array<double, 8>> chromaticities;
  bool any() const { return srgb || gamma.has_value(); }
};

struct PictureNotes {
  // EXIF/TIFF orientation of the pixels as read: 1 is upright, 2 to 8 say
  // how to turn and mirror them (6: turn a quarter clockwise).
  int orientation = 1;
  std::vector<uint8_t> icc_profile;
  PngColourChunks png_colour;
  // The EXIF block as TIFF-structured bytes, from its byte-order mark on
  // (JPEG's APP1 without "Exif\0\0", PNG's eXIf).
  std::vector<uint8_t> exif;
  std::vector<uint8_t> xmp;  // the XMP packet, UTF-8 XML
  // Photoshop's image resources, IPTC among them (resource 0x0404), as
  // JPEG's APP13 (after "Photoshop 3.0\0") and TIFF's tag 34377 hold them.
  std::vector<uint8_t> photoshop;
};

struct ReadOptions {
  // Also read CMYK and YCCK JPEGs and 16-bit PNGs and TIFFs.
  bool more_kinds = false;
  // Keep transparency: a picture with alpha, tRNS or extra samples is read
  // into 32 bits (alpha, red, green, blue), straight alpha.
  bool alpha = false;
  // Fill PictureNotes: the orientation, the metadata and the colour space.
  bool notes = false;
  // Leave the colours as the file stores them (no gamma correction of
  // PNG's), for the colour space the notes describe to be applied later.
  bool stored_colours = false;
};

}  // namespace quorvant::engine
