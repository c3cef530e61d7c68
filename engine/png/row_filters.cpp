#include "engine/png/row_filters.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace quorvant::engine::png {

namespace {

// A filtered byte's weight: its distance from zero as a signed byte.
inline size_t weight(uint8_t v) { return v < 128 ? v : 256u - v; }

inline uint8_t paeth(int left, int up, int up_left) {
  const int p = left + up - up_left;
  const int pa = std::abs(p - left);
  const int pb = std::abs(p - up);
  const int pc = std::abs(p - up_left);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(left);
  return static_cast<uint8_t>(pb <= pc ? up : up_left);
}

// Each filter writes its bytes to `out` and answers their weight; it stops
// early once the weight passes `best`, since such a row is not chosen.
using Filter = size_t (*)(const uint8_t*, const uint8_t*, size_t, size_t, uint8_t*, size_t);

size_t sub(const uint8_t* row, const uint8_t*, size_t bytes, size_t bpp, uint8_t* out, size_t best) {
  size_t sum = 0;
  for (size_t i = 0; i < bpp && i < bytes; ++i) sum += weight(out[i] = row[i]);
  for (size_t i = bpp; i < bytes && sum <= best; ++i) sum += weight(out[i] = static_cast<uint8_t>(row[i] - row[i - bpp]));
  return sum;
}

size_t up(const uint8_t* row, const uint8_t* above, size_t bytes, size_t, uint8_t* out, size_t best) {
  size_t sum = 0;
  for (size_t i = 0; i < bytes && sum <= best; ++i) sum += weight(out[i] = static_cast<uint8_t>(row[i] - above[i]));
  return sum;
}

size_t average(const uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp, uint8_t* out, size_t best) {
  size_t sum = 0;
  for (size_t i = 0; i < bpp && i < bytes; ++i) sum += weight(out[i] = static_cast<uint8_t>(row[i] - above[i] / 2));
  for (size_t i = bpp; i < bytes && sum <= best; ++i) {
    sum += weight(out[i] = static_cast<uint8_t>(row[i] - (above[i] + row[i - bpp]) / 2));
  }
  return sum;
}

size_t paeth_filter(const uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp, uint8_t* out, size_t best) {
  size_t sum = 0;
  for (size_t i = 0; i < bpp && i < bytes; ++i) sum += weight(out[i] = static_cast<uint8_t>(row[i] - above[i]));
  for (size_t i = bpp; i < bytes && sum <= best; ++i) {
    sum += weight(out[i] = static_cast<uint8_t>(row[i] - paeth(row[i - bpp], above[i], above[i - bpp])));
  }
  return sum;
}

struct Candidate {
  unsigned flag;
  uint8_t type;
  Filter filter;
};
constexpr Candidate kCandidates[] = {
    {kFilterSub, 1, sub}, {kFilterUp, 2, up}, {kFilterAverage, 3, average}, {kFilterPaeth, 4, paeth_filter}};

}  // namespace

unsigned filters_for(bool palette, int32_t width, int32_t height) {
  if (palette) return kFilterNone;
  unsigned filters = kAllFilters;
  if (height == 1) filters &= ~unsigned{kFilterUp | kFilterAverage | kFilterPaeth};
  if (width == 1) filters &= ~unsigned{kFilterSub | kFilterAverage | kFilterPaeth};
  return filters == 0 ? unsigned{kFilterNone} : filters;
}

void filter_row(const uint8_t* row, const uint8_t* above, size_t bytes, size_t pixel_bytes, unsigned filters,
                uint8_t* out, uint8_t* scratch) {
  // The row as it is (None) weighs in only when there is a choice to make.
  size_t best = std::numeric_limits<size_t>::max() - 256;
  const uint8_t* best_bytes = row;
  uint8_t best_type = 0;
  if ((filters & kFilterNone) != 0 && filters != kFilterNone) {
    best = 0;
    for (size_t i = 0; i < bytes; ++i) best += weight(row[i]);
  }
  uint8_t* trial = scratch;
  uint8_t* spare = scratch + bytes;
  for (const Candidate& candidate : kCandidates) {
    if ((filters & candidate.flag) == 0) continue;
    const size_t sum = candidate.filter(row, above, bytes, pixel_bytes, trial, best);
    // A single filter is used whatever it weighs.
    if (sum < best || filters == candidate.flag) {
      best = sum;
      best_bytes = trial;
      best_type = candidate.type;
      std::swap(trial, spare);
    }
  }
  out[0] = best_type;
  std::memcpy(out + 1, best_bytes, bytes);
}

}  // namespace quorvant::engine::png
