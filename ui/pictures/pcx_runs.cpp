#include "ui/pictures/pcx_runs.h"

#include <algorithm>

namespace quorvant::ui::pictures {

bool PcxRuns::refill() {
  // Runs of length zero are legal and produce nothing.
  while (run_left_ == 0) {
    if (position_ >= encoded_.size()) return false;
    const uint8_t code = encoded_[position_++];
    if ((code & 0xC0) != 0xC0) {
      run_value_ = code;
      run_left_ = 1;
    } else {
      if (position_ >= encoded_.size()) return false;
      run_value_ = encoded_[position_++];
      run_left_ = code & 0x3F;
    }
  }
  return true;
}

bool PcxRuns::read(std::span<uint8_t> row) {
  size_t filled = 0;
  while (filled < row.size()) {
    if (!refill()) return false;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(run_left_, row.size() - filled));
    std::fill_n(row.begin() + static_cast<std::ptrdiff_t>(filled), take, run_value_);
    filled += take;
    run_left_ -= take;
  }
  return true;
}

bool PcxRuns::skip(uint64_t count) {
  while (count > 0) {
    if (!refill()) return false;
    const uint64_t take = std::min(run_left_, count);
    count -= take;
    run_left_ -= take;
  }
  return true;
}

}  // namespace quorvant::ui::pictures
