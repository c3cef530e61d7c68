// The whole of a source file in memory, for libraries that parse a file
// from a buffer (the boxes of AVIF, HEIC and JPEG XL files point anywhere
// in it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/file.h"

namespace quorvant::engine {

// The largest file of a format read whole: beyond it a still picture is
// not believed.
inline constexpr uint64_t kLargestWholeFile = uint64_t{1} << 30;

// Reads `file` from its start to its end into `bytes`. False, with `why`
// in words, when the file is larger than `largest` (whole GiB), its size
// cannot be told or it ends early.
bool read_whole_file(File& file, const char* format, std::vector<uint8_t>& bytes, std::string& why,
                     uint64_t largest = kLargestWholeFile);

// Reads the start of `file` for a signature check: its first box when that
// box is `ftyp` (at most 4 KiB of it), else nothing. Leaves the file
// positioned anywhere.
std::vector<uint8_t> read_ftyp_box(File& file);

}  // namespace quorvant::engine
