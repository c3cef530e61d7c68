// One baseline JPEG picture decoded on several threads: each band of rows
// has a decompressor of its own and decodes into the same rows of the one
// picture. A band reaches its first row from the file's start by entropy
// decoding alone (jpeg_skip_scanlines: no dequantising, no inverse DCT, no
// colour conversion), or, in a file with restart markers, from the marker
// that opens the row of blocks above it, with next to nothing to skip. The
// rows come out as one decompressor makes them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/jpeg_errors.h"
#include "engine/image_buffer.h"
#include "engine/jpeg/restart_markers.h"
#include "engine/unique_fd.h"
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

// How a started decompressor (jpeg_start_decompress) lays out its one scan.
struct ScanGeometry {
  int32_t height = 0;
  int32_t row_group = 0;          // rows of a row of blocks (an iMCU row)
  uint32_t mcus_per_row = 0;      // coding units in each
  uint32_t restart_interval = 0;  // coding units between restart markers; 0: none
};
ScanGeometry scan_geometry(const jpeg_decompress_struct& started);

// Where a band's decompressor begins to read.
struct BandStart {
  int32_t row = 0;              // the picture's row that its stream's first row is
  uint64_t data_offset = 0;     // where the data it reads after the headers starts; 0: the whole file
  uint64_t markers_passed = 0;  // restart markers before that data
};

struct BandPlan {
  std::vector<int32_t> edges;     // as band_edges gives them
  std::vector<BandStart> starts;  // one for each band
  ScanHeaders headers;            // what a band that starts at a marker reads first
};

// `bands` bands of the picture in `file`, at restart markers where the
// file has them every few rows of blocks, else by skipping.
BandPlan plan_bands(PositionedReader& file, const ScanGeometry& geometry, unsigned bands);
// Bands at `edges`, each from the nearest restart marker it can start at
// (at least a row of blocks before its first row, for the rows of colour
// above that it blends with), or from the file's start.
BandPlan plan_bands_at(PositionedReader& file, const ScanGeometry& geometry, std::vector<int32_t> edges);

// Decodes every band of `plan` on `pool`, each from a descriptor of its own
// for `source`, into `target` (made for the whole picture, in the colour
// the file decodes to by default). A decompressor may set aside
// `working_bytes`, as the picture's own may. The last band reads on to the
// end marker, as a whole decode does. Empty when every band is done;
// otherwise why the first band that failed (in the order of the bands)
// failed, in the words of `refusal`. The first band reports each row it
// has decoded to `first_rows` (the rows from the top that are final), from
// whichever thread runs it.
using Refusal = std::function<std::string(const codecs::JpegErrors&)>;
using RowsDone = std::function<void(int32_t rows)>;
std::string decode_in_bands(const UniqueFd& source, uint64_t working_bytes, const BandPlan& plan, ImageBuffer& target,
                            WorkerPool& pool, const Refusal& refusal, const RowsDone& first_rows = nullptr);

}  // namespace quorvant::engine::jpeg
