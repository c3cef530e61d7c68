// Little-endian fields, as Windows file formats store them (bitmaps, icons,
// wave files, stored fonts). Callers check that the field lies inside the
// bytes before they read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvant::platform {

inline uint16_t read_le16(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint32_t read_le32(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline int32_t read_le32_signed(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int32_t>(read_le32(bytes, offset));
}

inline void append_le16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void append_le32(std::vector<uint8_t>& out, uint32_t value) {
  append_le16(out, value & 0xFFFFu);
  append_le16(out, value >> 16);
}

inline void store_le32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace quorvant::platform
