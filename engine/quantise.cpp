#include "engine/quantise.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/colour.h"
#include "engine/source_colours.h"

namespace quorvant::engine {

namespace {

constexpr int kCodeCount = 65536;
constexpr int32_t kMaxIndexable = 256;

struct HistogramEntry {
  uint32_t code;
  uint32_t count;
};

// Sorts entries lo..hi (inclusive) by count, ascending, with the partition
// sort whose handling of equal counts decides which of several equally
// frequent colours make the palette. Its two sub-ranges are disjoint, so
// sorting the smaller one first and looping on the larger gives the same
// order as any other sequence while keeping the stack depth logarithmic.
void partition_sort(std::vector<HistogramEntry>& entries, int lo, int hi) {
  while (lo < hi) {
    const uint32_t pivot = entries[static_cast<size_t>((lo + hi) / 2)].count;
    int i = lo;
    int j = hi;
    do {
      while (entries[static_cast<size_t>(i)].count < pivot && i < hi) ++i;
      while (entries[static_cast<size_t>(j)].count > pivot && j > lo) --j;
      if (i <= j) {
        std::swap(entries[static_cast<size_t>(i)], entries[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);

    const bool left = lo < j;
    const bool right = i < hi;
    if (left && right) {
      if (j - lo < hi - i) {
        partition_sort(entries, lo, j);
        lo = i;
      } else {
        partition_sort(entries, i, hi);
        hi = j;
      }
    } else if (left) {
      hi = j;
    } else if (right) {
      lo = i;
    } else {
      return;
    }
  }
}

int32_t squared_distance(const Rgb& a, const PaletteEntry& b) {
  const int32_t dr = a.red - b.red;
  const int32_t dg = a.green - b.green;
  const int32_t db = a.blue - b.blue;
  return dr * dr + dg * dg + db * db;
}

uint8_t nearest_entry(const Rgb& colour, std::span<const PaletteEntry> palette) {
  size_t best = 0;
  int32_t best_distance = squared_distance(colour, palette[0]);
  for (size_t i = 1; i < palette.size() && best_distance > 0; ++i) {
    const int32_t d = squared_distance(colour, palette[i]);
    if (d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return static_cast<uint8_t>(best);
}

}  // namespace

bool quantise(const ImageBuffer& source, ImageBuffer& destination, int32_t max_colours) {
  if (max_colours < 1 || destination.bits() != 8 || destination.pixel_count() != source.pixel_count()) {
    return false;
  }

  std::vector<HistogramEntry> histogram(kCodeCount);
  for (int k = 0; k < kCodeCount; ++k) histogram[static_cast<size_t>(k)] = {static_cast<uint32_t>(k), 0};
  for_each_colour(source, [&](size_t, Rgb c) { ++histogram[colour_code(c.red, c.green, c.blue)].count; });

  // Which codes occur, remembered before sorting scrambles the positions.
  std::vector<bool> present(kCodeCount);
  int32_t distinct = 0;
  for (const HistogramEntry& e : histogram) {
    if (e.count > 0) {
      present[e.code] = true;
      ++distinct;
    }
  }

  partition_sort(histogram, 0, kCodeCount - 1);

  const int32_t palette_size = std::min({distinct, max_colours, kMaxIndexable, destination.palette_count()});
  auto palette = destination.palette();
  for (int32_t i = 0; i < palette_size; ++i) {
    const Rgb c = decode_colour_code(static_cast<uint16_t>(histogram[static_cast<size_t>(kCodeCount - 1 - i)].code));
    palette[static_cast<size_t>(i)] = {c.red, c.green, c.blue, 255, palette_sort_key(c.red, c.green, c.blue)};
  }
  destination.shrink_palette(palette_size);
  palette = destination.palette();
  std::sort(palette.begin(), palette.end(),
            [](const PaletteEntry& a, const PaletteEntry& b) { return a.sort_key < b.sort_key; });

  // The index of every occurring code: its own entry, else the nearest.
  std::vector<uint8_t> index_of(kCodeCount, 0);
  std::vector<bool> in_palette(kCodeCount);
  for (size_t i = 0; i < palette.size(); ++i) {
    const uint16_t code = colour_code(palette[i].red, palette[i].green, palette[i].blue);
    index_of[code] = static_cast<uint8_t>(i);
    in_palette[code] = true;
  }
  for (int code = 0; code < kCodeCount; ++code) {
    if (present[static_cast<size_t>(code)] && !in_palette[static_cast<size_t>(code)]) {
      index_of[static_cast<size_t>(code)] = nearest_entry(decode_colour_code(static_cast<uint16_t>(code)), palette);
    }
  }

  uint8_t* out = destination.pixels();
  for_each_colour(source, [&](size_t i, Rgb c) { out[i] = index_of[colour_code(c.red, c.green, c.blue)]; });
  return true;
}

}  // namespace quorvant::engine
