#include "engine/avif/eight_bits.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quorvant::engine {

void reduce_to_eight_bits(const uint16_t* from, size_t count, uint32_t depth, uint8_t* to) {
  const uint32_t max = (1u << std::clamp(depth, 9u, 16u)) - 1;
  // A table of every level is cheaper than a division a sample.
  std::vector<uint8_t> level(max + 1);
  for (uint32_t v = 0; v <= max; ++v) level[v] = static_cast<uint8_t>((v * 255 + max / 2) / max);
  for (size_t i = 0; i < count; ++i) to[i] = level[std::min<uint32_t>(from[i], max)];
}

namespace {

bool is_tiff_header(std::span<const uint8_t> bytes) {
  if (bytes.size() < 8) return false;
  return (bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0) ||
         (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42);
}

}  // namespace

std::vector<uint8_t> tiff_structured_exif(std::span<const uint8_t> item) {
  std::span<const uint8_t> block = item;
  if (item.size() >= 4 && !is_tiff_header(item)) {
    const uint64_t offset = (uint64_t{item[0]} << 24) | (uint64_t{item[1]} << 16) | (uint64_t{item[2]} << 8) | item[3];
    block = offset <= item.size() - 4 ? item.subspan(4 + offset) : std::span<const uint8_t>{};
  }
  constexpr uint8_t kExifPrefix[] = {'E', 'x', 'i', 'f', 0, 0};
  if (block.size() >= sizeof kExifPrefix && std::memcmp(block.data(), kExifPrefix, sizeof kExifPrefix) == 0) {
    block = block.subspan(sizeof kExifPrefix);
  }
  if (!is_tiff_header(block)) return {};
  return {block.begin(), block.end()};
}

}  // namespace quorvant::engine
