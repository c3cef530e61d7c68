#include "engine/pcx/pcx_run_length.h"

#include <algorithm>
#include <cstring>

namespace quorvant::engine::pcx {

namespace {
constexpr uint8_t kRunFlag = 0xC0;
constexpr size_t kLongestRun = 63;
}  // namespace

size_t encode_line(std::span<const uint8_t> line, uint8_t* out) {
  const size_t n = line.size();
  size_t used = 0;
  for (size_t p = 0; p < n;) {
    const uint8_t value = line[p];
    size_t run = 1;
    while (run < kLongestRun && p + run < n && line[p + run] == value) ++run;
    // A single byte that looks like a run flag must be written as a run of one.
    if (run >= 2 || value >= kRunFlag) out[used++] = static_cast<uint8_t>(kRunFlag + run);
    out[used++] = value;
    p += run;
  }
  return used;
}

bool decode_line(std::span<const uint8_t> data, size_t& position, std::span<uint8_t> line) {
  size_t filled = 0;
  while (filled < line.size()) {
    if (position >= data.size()) return false;
    const uint8_t b = data[position++];
    if (b < kRunFlag) {
      line[filled++] = b;
      continue;
    }
    if (position >= data.size()) return false;
    const uint8_t value = data[position++];
    const size_t count = std::min<size_t>(b & 0x3F, line.size() - filled);
    std::memset(line.data() + filled, value, count);
    filled += count;
  }
  return true;
}

}  // namespace quorvant::engine::pcx
