// The picture data of an Adam7-interlaced PNG, made on every core: the
// passes' rows are filtered as libpng filters them, the filtered bytes
// deflated in blocks on the worker pool and written as IDAT chunks.
//
// The work goes in rounds of a few blocks per core, so memory stays at a
// few megabytes whatever the picture's size: each round filters its rows
// in parallel, compresses its blocks in parallel, and writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/file.h"
#include "engine/image_buffer.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::png {

// The filtered bytes one round holds for a pool of `cores` cores: eight
// blocks, or four a core when that is more, so that every core has several
// and the short last block of a round leaves little idle.
size_t round_bytes(unsigned cores);

// `picture` is 8 bits with a palette, 24 bits (RGB) or 32 bits (alpha
// first, written last). `row_done(y)` is called for every row of every
// pass, pass by pass, as the data that holds it is written: 7 × height
// calls. False when the file or zlib fails; the file's failure says why.
bool write_image_data(File& file, const ImageBuffer& picture, WorkerPool& pool,
                      const std::function<void(int32_t)>& row_done);

}  // namespace quorvant::engine::png
