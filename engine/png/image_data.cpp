#include "engine/png/image_data.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "engine/png/adam7.h"
#include "engine/png/parallel_deflate.h"
#include "engine/png/png_chunks.h"
#include "engine/png/row_filters.h"

namespace quorvant::engine::png {

namespace {

// libpng's IDAT chunks hold 8 KiB each; so do ours.
constexpr size_t kChunkData = 8192;
// Filtering is shared out in groups of rows of about this many bytes.
constexpr size_t kFilterGroup = size_t{64} << 10;

struct PixelForm {
  size_t bytes;      // per pixel
  bool alpha_first;  // 32-bit pictures: alpha, red, green, blue in memory
};

// One filtered row of the stream: pass row `row` of pass `pass`, at
// `offset` within the round's buffer.
struct StreamRow {
  int pass;
  int32_t row;
  size_t offset;
};

// Copies pass row `row` of `pass` out of the picture, in file order.
void gather(const ImageBuffer& picture, const Adam7Pass& pass, int32_t row, PixelForm form, uint8_t* out) {
  const uint8_t* source = picture.row(pass.picture_row(row)) + static_cast<size_t>(pass.x0) * form.bytes;
  const size_t step = static_cast<size_t>(pass.dx) * form.bytes;
  if (form.alpha_first) {
    for (int32_t i = 0; i < pass.width; ++i, source += step, out += 4) {
      out[0] = source[1], out[1] = source[2], out[2] = source[3], out[3] = source[0];
    }
  } else if (pass.dx == 1) {
    std::memcpy(out, source, static_cast<size_t>(pass.width) * form.bytes);
  } else {
    for (int32_t i = 0; i < pass.width; ++i, source += step, out += form.bytes) std::memcpy(out, source, form.bytes);
  }
}

class ImageData {
 public:
  ImageData(File& file, const ImageBuffer& picture, WorkerPool& pool, const std::function<void(int32_t)>& row_done)
      : file_(file),
        picture_(picture),
        pool_(pool),
        row_done_(row_done),
        form_{picture.bits() / 8, picture.bits() == 32},
        passes_(adam7_passes(picture.width(), picture.height())),
        filters_(filters_for(picture.bits() == 8, picture.width(), picture.height())),
        deflate_(filters_ == kFilterNone ? Z_DEFAULT_STRATEGY : Z_FILTERED, pool),
        round_bytes_(round_bytes(pool.cores())) {}

  bool write() {
    std::vector<StreamRow> rows;
    size_t history = 0;
    int pass = 0;
    int32_t row = 0;
    next_row(pass, row);
    while (true) {
      // The rows of this round, after the history kept from the last one.
      rows.clear();
      size_t end = history;
      while (pass < 7 && end - history < round_bytes_) {
        rows.push_back({pass, row, end});
        end += 1 + row_bytes(pass);
        ++row;
        next_row(pass, row);
      }
      const bool last = pass == 7;
      buffer_.resize(end);
      filter_rows(rows);
      if (!deflate_.add(buffer_, history, last, compressed_)) return false;
      if (!write_chunks(last)) return false;
      if (rows.empty()) {
        report_rows_up_to(7, 0);
      } else {
        const StreamRow& final_row = rows.back();
        report_rows_up_to(last ? 7 : final_row.pass, passes_[final_row.pass].picture_row(final_row.row) + 1);
      }
      if (last) return true;
      // Keep the round's last 32 KiB for the next round's first block.
      history = std::min(ParallelDeflate::kWindow, buffer_.size());
      std::memmove(buffer_.data(), buffer_.data() + buffer_.size() - history, history);
    }
  }

 private:
  size_t row_bytes(int pass) const { return static_cast<size_t>(passes_[pass].width) * form_.bytes; }

  // Moves (pass, row) to the next row that holds data; pass 7 at the end.
  void next_row(int& pass, int32_t& row) const {
    while (pass < 7 && row >= passes_[pass].height) {
      ++pass;
      row = 0;
    }
  }

  void filter_rows(const std::vector<StreamRow>& rows) {
    // Groups of consecutive rows of about kFilterGroup bytes each.
    std::vector<size_t> group_starts;
    for (size_t i = 0, bytes = kFilterGroup; i < rows.size(); ++i) {
      if (bytes >= kFilterGroup) {
        group_starts.push_back(i);
        bytes = 0;
      }
      bytes += 1 + row_bytes(rows[i].pass);
    }
    group_starts.push_back(rows.size());
    pool_.run(group_starts.size() - 1, [&](size_t group) {
      filter_group({rows.data() + group_starts[group], rows.data() + group_starts[group + 1]});
    });
  }

  void filter_group(std::span<const StreamRow> rows) {
    const size_t widest = static_cast<size_t>(picture_.width()) * form_.bytes;
    std::vector<uint8_t> current(widest), above(widest), scratch(2 * widest);
    int above_pass = -1;
    int32_t above_row = -1;
    for (const StreamRow& row : rows) {
      const Adam7Pass& pass = passes_[row.pass];
      const size_t bytes = row_bytes(row.pass);
      if (row.row == 0) {
        std::fill_n(above.begin(), bytes, uint8_t{0});
      } else if (above_pass != row.pass || above_row != row.row - 1) {
        gather(picture_, pass, row.row - 1, form_, above.data());
      }
      gather(picture_, pass, row.row, form_, current.data());
      filter_row(current.data(), above.data(), bytes, form_.bytes, filters_, buffer_.data() + row.offset,
                 scratch.data());
      std::swap(current, above);
      above_pass = row.pass;
      above_row = row.row;
    }
  }

  // Writes the compressed bytes in whole IDAT chunks, and the rest too at
  // the end.
  bool write_chunks(bool last) {
    size_t at = 0;
    while (compressed_.size() - at >= kChunkData || (last && at < compressed_.size())) {
      const size_t length = std::min(kChunkData, compressed_.size() - at);
      if (!write_chunk(file_, "IDAT", {compressed_.data() + at, length})) return false;
      at += length;
    }
    compressed_.erase(compressed_.begin(), compressed_.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
  }

  // Progress in libpng's order: every row of the picture for each pass, up
  // to picture row `row` of pass `pass`.
  void report_rows_up_to(int pass, int32_t row) {
    while (reported_pass_ < pass || (reported_pass_ == pass && reported_row_ < row)) {
      if (row_done_) row_done_(reported_row_);
      if (++reported_row_ == picture_.height()) {
        reported_row_ = 0;
        ++reported_pass_;
      }
    }
  }

  File& file_;
  const ImageBuffer& picture_;
  WorkerPool& pool_;
  const std::function<void(int32_t)>& row_done_;
  const PixelForm form_;
  const std::array<Adam7Pass, 7> passes_;
  const unsigned filters_;
  ParallelDeflate deflate_;
  const size_t round_bytes_;
  std::vector<uint8_t> buffer_;
  std::vector<uint8_t> compressed_;
  int reported_pass_ = 0;
  int32_t reported_row_ = 0;
};

}  // namespace

size_t round_bytes(unsigned cores) { return ParallelDeflate::kBlockSize * std::max<size_t>(8, 4 * size_t{cores}); }

bool write_image_data(File& file, const ImageBuffer& picture, WorkerPool& pool,
                      const std::function<void(int32_t)>& row_done) {
  return ImageData(file, picture, pool, row_done).write();
}

}  // namespace quorvant::engine::png
