// PNG row filtering with libpng's own choice of filter: each row gets the
// filter whose output bytes, read as signed numbers, have the smallest sum
// of absolute values, trying None, Sub, Up, Average and Paeth in that order
// and keeping the first of equal sums. The first row of a pass is filtered
// against a row of zeros.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvant::engine::png {

// Which filters a picture may use, as libpng decides from its whole size
// and kind: only None for palette pictures; no Up, Average or Paeth for a
// picture one row high, no Sub, Average or Paeth for one a pixel wide.
enum FilterSet : unsigned {
  kFilterNone = 0x08,
  kFilterSub = 0x10,
  kFilterUp = 0x20,
  kFilterAverage = 0x40,
  kFilterPaeth = 0x80,
  kAllFilters = 0xF8,
};
unsigned filters_for(bool palette, int32_t width, int32_t height);

// Filters one row of `bytes` bytes (`pixel_bytes` to a pixel) against the
// row above it (`above`, all zeros for a pass's first row): writes the
// filter type and the filtered bytes, 1 + bytes in all, to `out`.
// `scratch` holds 2 × bytes bytes.
void filter_row(const uint8_t* row, const uint8_t* above, size_t bytes, size_t pixel_bytes, unsigned filters,
                uint8_t* out, uint8_t* scratch);

}  // namespace quorvant::engine::png
