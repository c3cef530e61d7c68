#include "engine/row_arrival.h"

namespace quorvant::engine {

void RowArrival::arrived(int32_t rows) {
  {
    std::lock_guard lock(mutex_);
    if (rows <= rows_) return;
    rows_ = rows;
  }
  more_.notify_all();
}

void RowArrival::stopped() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  more_.notify_all();
}

bool RowArrival::wait_for(int32_t rows) {
  std::unique_lock lock(mutex_);
  more_.wait(lock, [&] { return rows_ >= rows || stopped_; });
  return rows_ >= rows;
}

}  // namespace quorvant::engine
