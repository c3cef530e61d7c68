#include "engine/jpeg/jpeg_bands.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

#include "engine/jpeg/band_source.h"

namespace quorvant::engine::jpeg {

namespace {

// One band's decompressor, with the recovery point of its errors. The
// decoding step keeps its state here, as the rules of a recovery point ask.
class Band {
 public:
  Band() = default;
  ~Band() {
    if (created_) jpeg_destroy_decompress(&decompress_);
  }
  Band(const Band&) = delete;
  Band& operator=(const Band&) = delete;

  // Rows [first, end) into `target` from `stream`, whose first row is the
  // picture's row `stream_row`; with `to_the_end`, on to the end marker.
  // False when the file fails, errors() saying how.
  bool decode(BandSource& stream, int32_t stream_row, uint64_t working_bytes, int32_t first, int32_t end,
              bool to_the_end, ImageBuffer& target, const RowsDone* rows_done) {
    decompress_.err = codecs::install_errors(errors_, codecs::DamagedData::kFatal);
    if (setjmp(errors_.recovery) != 0) return false;
    created_ = true;
    jpeg_create_decompress(&decompress_);
    stream.attach(decompress_);
    jpeg_read_header(&decompress_, TRUE);
    decompress_.mem->max_memory_to_use = static_cast<long>(working_bytes);
    jpeg_start_decompress(&decompress_);
    if (first > stream_row) jpeg_skip_scanlines(&decompress_, static_cast<JDIMENSION>(first - stream_row));
    while (stream_row + static_cast<int32_t>(decompress_.output_scanline) < end) {
      JSAMPROW row = target.row(stream_row + static_cast<int32_t>(decompress_.output_scanline));
      jpeg_read_scanlines(&decompress_, &row, 1);
      if (rows_done != nullptr) (*rows_done)(stream_row + static_cast<int32_t>(decompress_.output_scanline));
    }
    if (to_the_end) {
      jpeg_finish_decompress(&decompress_);
    } else {
      jpeg_abort_decompress(&decompress_);
    }
    return true;
  }

  const codecs::JpegErrors& errors() const { return errors_; }

 private:
  jpeg_decompress_struct decompress_{};
  codecs::JpegErrors errors_{};
  bool created_ = false;
};

// The stream band `start` reads, from a descriptor of its own.
BandSource stream_for(const UniqueFd& source, const BandPlan& plan, const BandStart& start, int32_t height) {
  PositionedReader file(source.duplicate());
  if (start.data_offset == 0) return BandSource(std::move(file));
  return BandSource(std::move(file), plan.headers.with_height(height - start.row), start.data_offset,
                    start.markers_passed);
}

// A row of blocks opens at a restart marker when a whole number of
// intervals comes before it: every this many rows of blocks (0: never).
uint64_t rows_between_markers(const ScanGeometry& geometry) {
  if (geometry.restart_interval == 0 || geometry.mcus_per_row == 0 || geometry.row_group <= 0) return 0;
  const uint64_t interval = geometry.restart_interval;
  return interval / std::gcd(interval, uint64_t{geometry.mcus_per_row});
}

}  // namespace

std::vector<int32_t> band_edges(int32_t height, int32_t row_group, unsigned bands, double skip_cost) {
  // Band k costs skip_cost * start_k + its own rows; all the same cost T
  // gives start_(k+1) = T + start_k * (1 - skip_cost), from 0 to 1.
  const double keep = 1.0 - std::clamp(skip_cost, 0.0, 1.0);
  double sum = 0;
  for (unsigned k = 0; k < bands; ++k) sum += std::pow(keep, k);
  const double share = 1.0 / sum;
  const int32_t groups = (height + row_group - 1) / row_group;
  std::vector<int32_t> edges = {0};
  double start = 0;
  for (unsigned k = 1; k < bands; ++k) {
    start = share + start * keep;
    const auto edge = static_cast<int32_t>(std::lround(start * groups)) * row_group;
    if (edge > edges.back() && edge < height) edges.push_back(edge);
  }
  edges.push_back(height);
  return edges;
}

ScanGeometry scan_geometry(const jpeg_decompress_struct& started) {
  return {static_cast<int32_t>(started.output_height), started.max_v_samp_factor * started.min_DCT_scaled_size,
          started.MCUs_per_row, started.restart_interval};
}

BandPlan plan_bands_at(PositionedReader& file, const ScanGeometry& geometry, std::vector<int32_t> edges) {
  BandPlan plan;
  plan.edges = std::move(edges);
  const size_t bands = plan.edges.size() - 1;
  plan.starts.assign(bands, BandStart{});
  const uint64_t step = rows_between_markers(geometry);
  if (step == 0) return plan;
  std::vector<uint64_t> wanted;
  std::vector<size_t> starting;
  for (size_t k = 1; k < bands; ++k) {
    // A band's first row blends with the colour of the row of blocks above.
    int64_t group = plan.edges[k] / geometry.row_group - 1;
    group -= group % static_cast<int64_t>(step);
    if (group <= 0) continue;
    wanted.push_back(static_cast<uint64_t>(group) * geometry.mcus_per_row / geometry.restart_interval);
    starting.push_back(k);
    plan.starts[k] = {static_cast<int32_t>(group) * geometry.row_group, 0, wanted.back()};
  }
  // No band starts far enough down for a marker: nothing to read.
  if (wanted.empty()) return plan;
  std::optional<ScanHeaders> headers = read_scan_headers(file);
  std::optional<std::vector<uint64_t>> offsets;
  if (headers) offsets = find_restart_markers(file, headers->bytes.size(), wanted);
  if (!offsets) {
    plan.starts.assign(bands, BandStart{});
    return plan;
  }
  for (size_t i = 0; i < starting.size(); ++i) plan.starts[starting[i]].data_offset = (*offsets)[i];
  plan.headers = std::move(*headers);
  return plan;
}

BandPlan plan_bands(PositionedReader& file, const ScanGeometry& geometry, unsigned bands) {
  // Markers every few rows of blocks leave each band little to skip, so
  // the bands are as long as one another.
  if (const uint64_t step = rows_between_markers(geometry); step > 0) {
    const uint64_t groups = (static_cast<uint64_t>(geometry.height) + geometry.row_group - 1) / geometry.row_group;
    if (step * bands * 4 <= groups) {
      BandPlan plan = plan_bands_at(file, geometry, band_edges(geometry.height, geometry.row_group, bands, 0.0));
      if (!plan.headers.bytes.empty()) return plan;
    }
  }
  BandPlan plan;
  plan.edges = band_edges(geometry.height, geometry.row_group, bands);
  plan.starts.assign(plan.edges.size() - 1, BandStart{});
  return plan;
}

std::string decode_in_bands(const UniqueFd& source, uint64_t working_bytes, const BandPlan& plan, ImageBuffer& target,
                            WorkerPool& pool, const Refusal& refusal, const RowsDone& first_rows) {
  const std::vector<int32_t>& edges = plan.edges;
  const size_t bands = edges.size() - 1;
  std::vector<std::optional<std::string>> failures(bands);
  pool.run(bands, [&](size_t k) {
    const BandStart& start = plan.starts[k];
    BandSource stream = stream_for(source, plan, start, target.height());
    Band band;
    const RowsDone* rows_done = k == 0 && first_rows ? &first_rows : nullptr;
    if (!band.decode(stream, start.row, working_bytes, edges[k], edges[k + 1], k + 1 == bands, target, rows_done)) {
      failures[k] = refusal(band.errors());
    }
  });
  for (const std::optional<std::string>& failure : failures) {
    if (failure) return *failure;
  }
  return {};
}

}  // namespace quorvant::engine::jpeg
