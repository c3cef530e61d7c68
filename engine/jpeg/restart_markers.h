// Where the entropy-coded data of a one-scan JPEG file starts afresh: at
// the scan's start and after each restart marker, the decoder needs nothing
// of the data before (its DC predictions start again from zero).
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "engine/file.h"

namespace quorvant::engine::jpeg {

// RST0 to RST7.
constexpr bool is_restart_marker(int code) { return code >= 0xD0 && code <= 0xD7; }

// The markers in entropy-coded data read piece by piece: a marker is 0xFF
// and a code, fill bytes (more 0xFF) may come between, and the pair may be
// split between two pieces. 0xFF is rare in such data (every one is a
// marker or stuffed with a zero), so the bytes between are passed over with
// memchr.
class MarkerCodes {
 public:
  // Calls on_code(code, after) for each marker's code byte in the piece
  // (which it may rewrite), `after` the offset in the piece just past it;
  // stuffed zeros and fill bytes are not markers. Stops, false, when
  // on_code returns false.
  template <class OnCode>
  bool walk(uint8_t* bytes, size_t count, OnCode&& on_code) {
    size_t i = 0;
    while (i < count) {
      if (!after_marker_byte_) {
        const void* marker = std::memchr(bytes + i, 0xFF, count - i);
        if (marker == nullptr) return true;
        i = static_cast<size_t>(static_cast<const uint8_t*>(marker) - bytes) + 1;
        after_marker_byte_ = true;
        continue;
      }
      uint8_t& code = bytes[i++];
      after_marker_byte_ = code == 0xFF;
      if (code != 0 && code != 0xFF && !on_code(code, i)) return false;
    }
    return true;
  }

 private:
  bool after_marker_byte_ = false;  // the last byte seen was 0xFF
};

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
