// One baseline JPEG picture decoded on several threads: each band of rows
// has a decompressor of its own, which reaches its first row by entropy
// decoding alone (jpeg_skip_scanlines: no dequantising, no inverse DCT, no
// colour conversion) and decodes from there into the same rows of the one
// picture. The rows come out as one decompressor makes them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/jpeg_errors.h"
#include "engine/file.h"
#include "engine/image_buffer.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::jpeg {

// What skipping a row costs beside decoding it: the entropy decoding is
// about half of libjpeg-turbo's work on a photo (measured: 11 of 22.5 ms
// for 3000 x 2000 at 4:2:0).
inline constexpr double kSkipCost = 0.5;

// Where `bands` bands of a picture of `height` rows start, and its end
// (bands + 1 numbers, from 0 to height). A band after the first pays for
// skipping to its start, so it is shorter, by as much as makes every band
// take the same time; each starts on a whole group of `row_group` rows (an
// iMCU row), where skipping is entropy decoding alone.
std::vector<int32_t> band_edges(int32_t height, int32_t row_group, unsigned bands, double skip_cost = kSkipCost);

// The bands' streams of the file, each with a position of its own.
using StreamOpener = std::function<File()>;

// Decodes rows edges[i] to edges[i + 1] of every band on `pool`, each from
// a stream of its own, into `target` (made for the whole picture, in the
// colour the file decodes to by default). A decompressor may set aside
// `working_bytes`, as the picture's own may. The last band reads on to the
// end marker, as a whole decode does. Empty when every band is done;
// otherwise why the first band that failed (in the order of the bands)
// failed, in the words of `refusal`. The first band reports each row it
// has decoded to `first_rows` (the rows from the top that are final), from
// whichever thread runs it.
using Refusal = std::function<std::string(const codecs::JpegErrors&)>;
using RowsDone = std::function<void(int32_t rows)>;
std::string decode_in_bands(const StreamOpener& open_stream, uint64_t working_bytes,
                            const std::vector<int32_t>& edges, ImageBuffer& target, WorkerPool& pool,
                            const Refusal& refusal, const RowsDone& first_rows = nullptr);

}  // namespace quorvant::engine::jpeg
