// Little-endian field access for the picture decoders. Callers check that
// the field lies inside the bytes before they read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvant::ui::pictures {

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

}  // namespace quorvant::ui::pictures
