// One zlib stream compressed on several threads. The data arrives in parts;
// each part is cut into blocks that are deflated at once on the worker
// pool, each primed with the 32 KiB before it as its dictionary and ended
// with a sync flush (the stream's last block with its end), so the blocks
// join into one ordinary stream whose checksum is combined from theirs.
// The result is nearly as small as one deflate run over the whole data and
// inflates to exactly the same bytes.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/worker_pool.h"

namespace quorvant::engine::png {

class ParallelDeflate {
 public:
  // Blocks of this many input bytes: large enough that a block boundary
  // costs nothing measurable, small enough for every core to get several.
  static constexpr size_t kBlockSize = size_t{256} << 10;
  // The window deflate looks back over, and the dictionary each block gets.
  static constexpr size_t kWindow = size_t{32} << 10;

  // zlib level 6 and `strategy` (Z_FILTERED for filtered picture data).
  ParallelDeflate(int strategy, WorkerPool& pool);

  // Compresses `data.subspan(history)`, the next part of the stream; the
  // `history` bytes before it (at most kWindow, the end of the previous
  // part) only prime the first block. `last` ends the stream. The
  // compressed bytes, the zlib header first and the checksum last, are
  // appended to `out`. False when zlib fails or memory runs out.
  bool add(std::span<const uint8_t> data, size_t history, bool last, std::vector<uint8_t>& out);

 private:
  int strategy_;
  WorkerPool& pool_;
  bool started_ = false;
  uLong adler_ = 1;
};

}  // namespace quorvant::engine::png
