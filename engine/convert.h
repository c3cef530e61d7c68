// The engine's typed interface: one picture file in, one file of a target
// format out. The value-record commands, the command line and the
// benchmarks all go through convert_picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/codec.h"
#include "engine/destination.h"
#include "engine/result_codes.h"
#include "engine/source_file.h"
#include "engine/target_format.h"

namespace quorvant::engine {

// What becomes of a picture's colour space.
enum class ColourHandling {
  kAsStored,  // the pixels as the readers have always made them; no profile written
  kProfile,   // the profile kept with the pixels where the target holds one, else sRGB
  kSrgb,      // converted to sRGB for every target; no profile written
};

// What becomes of a picture's EXIF, XMP and IPTC metadata.
enum class MetadataHandling {
  kNone,         // nothing written
  kAll,          // carried into targets that hold it
  kAllButPlace,  // carried without the GPS data
};

struct ConvertOptions {
  bool grey = false;      // JPG: a one-component grey file; TIF: 8-bit grey
  int32_t quality = 75;   // JPG: 1..100
  bool optimise = true;   // JPG: optimised Huffman tables
  int32_t smoothing = 0;  // JPG: 0..100
  bool raw = true;        // PPM, PGM: the binary form; false gives the plain text form
  int32_t bits = 24;      // PNG: must be 24

  // Beyond the window's conversions, for the command line: each default is
  // what the window's conversions do.
  // Turn JPEG pictures upright as their EXIF orientation says (TIFF
  // pictures are turned by their reader whatever this says).
  bool upright = false;
  ColourHandling colour = ColourHandling::kAsStored;
  // Keep transparency in PNG and TIF; other targets get the picture over
  // `background` (0xRRGGBB). Without it, transparency is dropped and the
  // colours stored under it show.
  bool alpha = false;
  uint32_t background = 0xFFFFFF;
  MetadataHandling metadata = MetadataHandling::kNone;
  // Also read CMYK and YCCK JPEGs, 16-bit PNGs and TIFFs, and WebP, AVIF,
  // HEIC, GIF and JPEG XL files.
  bool more_kinds = false;
  // WebP, AVIF, JPEG XL: lossless rather than at `quality`; for a JPEG
  // source written as JPEG XL, the JPEG itself recompressed.
  bool lossless = false;
  // WebP, AVIF, JPEG XL: how hard the encoder works, 1 (fastest) to 9; 0:
  // the library's default.
  int32_t effort = 0;
};

struct Conversion {
  ResultCode code = kBadArguments;
  // Why the file was not written, in words ("cannot make scratch space in
  // /tmp: No space left on device", "PCX stores sizes in 16 bits: 70000
  // pixels wide is too wide (at most 65534)"); empty when it was.
  std::string reason;
};

// Checks the options, loads `source` and writes it to `destination`.
// Nothing is read or written when the options are out of range
// (kBadArguments); a missing source is found before any file is created,
// and so is a picture too large for the target's format (kWriteFailed). A
// file that fails part-way is not left behind.
Conversion convert_picture(TargetFormat format, const std::string& source, const Destination& destination,
                           const ConvertOptions& options = {});
// The same for a source already opened, which nothing opens again.
Conversion convert_picture(TargetFormat format, const SourceFile& source, const Destination& destination,
                           const ConvertOptions& options = {});

// About how much memory converting a picture takes at its peak, in bytes:
// the picture, and the larger of the reader's working memory and the
// writer's (the copy of the picture the target's form needs, and what the
// target's library keeps), from what its reader found in its header
// (read_picture_header in loader.h).
uint64_t conversion_memory(TargetFormat format, const PictureHeader& header, const ConvertOptions& options = {});

}  // namespace quorvant::engine
