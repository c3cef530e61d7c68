#include "engine/pcx/pcx_run_length.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvant::engine::pcx {

namespace {
constexpr uint8_t kRunFlag = 0xC0;
constexpr ptrdiff_t kLongestRun = 63;

constexpr uint64_t kHighBits = 0x8080808080808080;
constexpr uint64_t kLowSevenBits = 0x7F7F7F7F7F7F7F7F;

uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The top bit of each byte of `v` that is zero, and no other bit: adding
// 0x7F to a byte's low seven bits reaches its top bit unless they are all
// zero, and never carries into the next byte.
uint64_t zero_bytes(uint64_t v) { return ~(((v & kLowSevenBits) + kLowSevenBits) | v | kLowSevenBits); }

// True when some byte of `v` has both top bits set, that is, is 0xC0 or more:
// bit 6 of each byte is moved onto its bit 7.
bool has_flag_like_byte(uint64_t v) { return (v & (v << 1) & kHighBits) != 0; }

// Writes the first `count` (0 to 8) of the eight bytes at `in` as single
// bytes. All eight are stored, without a branch per byte; `out` has room.
uint8_t* put_literals(const uint8_t* in, uint64_t bytes, int count, uint8_t* o) {
  if (!has_flag_like_byte(bytes)) {
    std::memcpy(o, in, 8);
    return o + count;
  }
  uint8_t* ends[9];
  ends[0] = o;
  for (int i = 0; i < 8; ++i) {
    *o = kRunFlag + 1;
    o += in[i] >= kRunFlag ? 1 : 0;
    *o++ = in[i];
    ends[i + 1] = o;
  }
  return ends[count];
}
}  // namespace

size_t encode_line(std::span<const uint8_t> line, uint8_t* out) {
  const uint8_t* in = line.data();
  const uint8_t* const end = in + line.size();
  uint8_t* o = out;
  while (in < end) {
    if (end - in > 8) {
      // Eight bytes at a time: those before the first that equals its
      // successor are single bytes, and a run starts there.
      const uint64_t bytes = load64(in);
      const uint64_t same = zero_bytes(bytes ^ load64(in + 1));
      const int first_same =
          std::endian::native == std::endian::little ? std::countr_zero(same) : std::countl_zero(same);
      const int singles = first_same / 8;
      o = put_literals(in, bytes, singles, o);
      in += singles;
      if (singles == 8) continue;
    } else if (in + 1 == end || in[1] != *in) {
      // A value that looks like a run flag is written as a run of one.
      if (*in >= kRunFlag) *o++ = kRunFlag + 1;
      *o++ = *in++;
      continue;
    }
    const uint8_t value = *in;
    const auto limit = static_cast<size_t>(std::min<ptrdiff_t>(kLongestRun, end - in));
    size_t run = 2;
    while (run < limit && in[run] == value) ++run;
    *o++ = static_cast<uint8_t>(kRunFlag + run);
    *o++ = value;
    in += run;
  }
  return static_cast<size_t>(o - out);
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
