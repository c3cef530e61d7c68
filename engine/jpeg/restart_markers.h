// Where the entropy-coded data of a one-scan JPEG file starts afresh: at
// the scan's start and after each restart marker, the decoder needs nothing
// of the data before (its DC predictions start again from zero).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/file.h"

namespace quorvant::engine::jpeg {

// The bytes of a file before its first scan's entropy-coded data.
struct ScanHeaders {
  std::vector<uint8_t> bytes;
  size_t height_at = 0;  // where the frame header keeps the picture's height (16 bits, big-endian)

  // The headers of a picture of `rows` rows, all else the same.
  std::vector<uint8_t> with_height(int32_t rows) const;
};

// Reads the headers of a Huffman-coded file (baseline or extended), up to
// its scan; nothing when the file is not laid out as expected.
std::optional<ScanHeaders> read_scan_headers(PositionedReader& file);

// The file offsets of the data after restart markers number `wanted`
// (counted from 1, ascending) of the scan whose data starts at `data_start`.
// Nothing when a marker is missing or out of its turn first: such a file is
// left to a decoder that reads it all and says what is wrong.
std::optional<std::vector<uint64_t>> find_restart_markers(PositionedReader& file, uint64_t data_start,
                                                          const std::vector<uint64_t>& wanted);

}  // namespace quorvant::engine::jpeg
