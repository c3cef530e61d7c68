#include "engine/jpeg/jpeg_bands.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quorvant::engine::jpeg {

namespace {

// One band's decompressor, with the recovery point of its errors. The
// decoding step keeps its state here, as the rules of a recovery point ask.
class Band {
 public:
  explicit Band(File file) : file_(std::move(file)) {}
  ~Band() {
    if (created_) jpeg_destroy_decompress(&decompress_);
  }
  Band(const Band&) = delete;
  Band& operator=(const Band&) = delete;

  // Rows [first, end) into `target`; with `to_the_end`, on to the end
  // marker. False when the file fails, errors() saying how.
  bool decode(uint64_t working_bytes, int32_t first, int32_t end, bool to_the_end, ImageBuffer& target,
              const RowsDone* rows_done) {
    decompress_.err = codecs::install_errors(errors_, codecs::DamagedData::kFatal);
    if (setjmp(errors_.recovery) != 0) return false;
    created_ = true;
    jpeg_create_decompress(&decompress_);
    jpeg_stdio_src(&decompress_, file_.get());
    jpeg_read_header(&decompress_, TRUE);
    decompress_.mem->max_memory_to_use = static_cast<long>(working_bytes);
    jpeg_start_decompress(&decompress_);
    if (first > 0) jpeg_skip_scanlines(&decompress_, static_cast<JDIMENSION>(first));
    while (decompress_.output_scanline < static_cast<JDIMENSION>(end)) {
      JSAMPROW row = target.row(static_cast<int32_t>(decompress_.output_scanline));
      jpeg_read_scanlines(&decompress_, &row, 1);
      if (rows_done != nullptr) (*rows_done)(static_cast<int32_t>(decompress_.output_scanline));
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
  File file_;
  jpeg_decompress_struct decompress_{};
  codecs::JpegErrors errors_{};
  bool created_ = false;
};

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

std::string decode_in_bands(const StreamOpener& open_stream, uint64_t working_bytes,
                            const std::vector<int32_t>& edges, ImageBuffer& target, WorkerPool& pool,
                            const Refusal& refusal, const RowsDone& first_rows) {
  const size_t bands = edges.size() - 1;
  std::vector<std::optional<std::string>> failures(bands);
  pool.run(bands, [&](size_t k) {
    Band band(open_stream());
    const RowsDone* rows_done = k == 0 && first_rows ? &first_rows : nullptr;
    if (!band.decode(working_bytes, edges[k], edges[k + 1], k + 1 == bands, target, rows_done)) {
      failures[k] = refusal(band.errors());
    }
  });
  for (const std::optional<std::string>& failure : failures) {
    if (failure) return *failure;
  }
  return {};
}

}  // namespace quorvant::engine::jpeg
