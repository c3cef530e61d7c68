#include "engine/png/row_filters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace quorvant::engine::png {

namespace {

// A filtered byte's weight: its distance from zero as a signed byte.
inline size_t weight(uint8_t v) { return v < 128 ? v : 256u - v; }

// The neighbour nearest to left + up − up-left, left first, then up. The
// distances of that estimate from left, up and up-left are |up − up-left|,
// |left − up-left| and |left + up − 2·up-left|.
inline uint8_t paeth(int left, int up, int up_left) {
  const int pa = std::abs(up - up_left);
  const int pb = std::abs(left - up_left);
  const int pc = std::abs(left + up - 2 * up_left);
  return static_cast<uint8_t>((pa <= pb && pa <= pc) ? left : (pb <= pc ? up : up_left));
}

// Each filter writes the whole filtered row to `out`; the loops carry no
// dependence from byte to byte (they read only the row and the row above),
// so the compiler runs them on vectors.
using Filter = void (*)(const uint8_t*, const uint8_t*, size_t, size_t, uint8_t*);

void sub(const uint8_t* row, const uint8_t*, size_t bytes, size_t bpp, uint8_t* out) {
  const size_t head = std::min(bpp, bytes);
  for (size_t i = 0; i < head; ++i) out[i] = row[i];
  for (size_t i = head; i < bytes; ++i) out[i] = static_cast<uint8_t>(row[i] - row[i - bpp]);
}

void up(const uint8_t* row, const uint8_t* above, size_t bytes, size_t, uint8_t* out) {
  for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(row[i] - above[i]);
}

void average(const uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp, uint8_t* out) {
  const size_t head = std::min(bpp, bytes);
  for (size_t i = 0; i < head; ++i) out[i] = static_cast<uint8_t>(row[i] - above[i] / 2);
  for (size_t i = head; i < bytes; ++i) out[i] = static_cast<uint8_t>(row[i] - (above[i] + row[i - bpp]) / 2);
}

void paeth_filter(const uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp, uint8_t* out) {
  const size_t head = std::min(bpp, bytes);
  for (size_t i = 0; i < head; ++i) out[i] = static_cast<uint8_t>(row[i] - above[i]);
  for (size_t i = head; i < bytes; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - paeth(row[i - bpp], above[i], above[i - bpp]));
  }
}

// The weight of a filtered row: its bytes' distances from zero.
size_t weight_of(const uint8_t* bytes, size_t count) {
  size_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += weight(bytes[i]);
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
  if ((filters & kFilterNone) != 0 && filters != kFilterNone) best = weight_of(row, bytes);
  uint8_t* trial = scratch;
  uint8_t* spare = scratch + bytes;
  for (const Candidate& candidate : kCandidates) {
    if ((filters & candidate.flag) == 0) continue;
    candidate.filter(row, above, bytes, pixel_bytes, trial);
    const size_t sum = weight_of(trial, bytes);
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
