// Writing a picture to a file that stores its rows from the bottom up (BMP,
// SGI's planes), while taking the rows from the top down, as a picture still
// being read delivers them: a block of rows at a time, each block put in its
// own place in the file.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/image_buffer.h"

namespace quorvant::engine {

// The rows of a block: about 1 MiB of `bytes_per_row`, enough for few seeks
// and little memory, at least one row and at most the picture.
inline int32_t rows_per_block(uint64_t bytes_per_row, int32_t height) {
  constexpr uint64_t kBlockBytes = uint64_t{1} << 20;
  return static_cast<int32_t>(std::clamp<uint64_t>(kBlockBytes / std::max<uint64_t>(bytes_per_row, 1), 1, height));
}

enum class BlocksWritten { kAll, kRowsMissing, kPlaceFailed };

// For each block from the top: waits for each of its rows and calls
// take(y, slot), slot counting from the block's lowest row (0), which is
// stored first; then place(stored_first, rows), stored_first being how many
// rows the file stores before the block's lowest, false when it fails.
template <class Take, class Place>
BlocksWritten write_bottom_up(const ImageBuffer& picture, int32_t block_rows, Take&& take, Place&& place) {
  const int32_t height = picture.height();
  for (int32_t top = 0; top < height; top += block_rows) {
    const int32_t rows = std::min(block_rows, height - top);
    for (int32_t i = 0; i < rows; ++i) {
      if (!picture.rows_ready(top + i + 1)) return BlocksWritten::kRowsMissing;
      take(top + i, rows - 1 - i);
    }
    if (!place(height - top - rows, rows)) return BlocksWritten::kPlaceFailed;
  }
  return BlocksWritten::kAll;
}

}  // namespace quorvant::engine
