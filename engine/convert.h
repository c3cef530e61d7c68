// The engine's typed interface: one picture file in, one file of a target
// format out. The value-record commands, the command line and the
// benchmarks all go through convert_picture.
#pragma once

#include <cstdint>
#include <string>

#include "engine/result_codes.h"
#include "engine/target_format.h"

namespace quorvant::engine {

struct ConvertOptions {
  bool grey = false;      // JPG: a one-component grey file; TIF: 8-bit grey
  int32_t quality = 75;   // JPG: 1..100
  bool optimise = true;   // JPG: optimised Huffman tables
  int32_t smoothing = 0;  // JPG: 0..100
  bool raw = true;        // PPM, PGM: the binary form; false gives the plain text form
  int32_t bits = 24;      // PNG: must be 24
};

// Checks the options, loads `source` and writes it to `destination`.
// Nothing is read or written when the options are out of range
// (kBadArguments); a missing source is found before any file is created.
ResultCode convert_picture(TargetFormat format, const std::string& source, const std::string& destination,
                           const ConvertOptions& options = {});

}  // namespace quorvant::engine
