// The PCX run-length code, one scan line at a time.
//
// A byte below 0xC0 is one literal byte. A byte of 0xC0 or above starts a
// run: its low six bits are a count from 0 to 63 and the next byte is the
// value repeated count times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvant::engine::pcx {

// The most bytes one encoded scan line of n bytes can take.
constexpr size_t max_encoded_size(size_t n) { return 2 * n; }

// Encodes `line` into `out` (at least max_encoded_size(line.size()) bytes)
// and returns the number of bytes used. Runs stop at 63 bytes and at the
// end of the line, but may run on from one plane into the next.
size_t encode_line(std::span<const uint8_t> line, uint8_t* out);

// Decodes one scan line of line.size() bytes from `data`, starting at and
// advancing `position`. A run longer than what the line still needs is cut
// to fit, and the rest of it is dropped. Returns false when the data ends
// before the line is complete.
bool decode_line(std::span<const uint8_t> data, size_t& position, std::span<uint8_t> line);

}  // namespace quorvant::engine::pcx
