// The rows of a picture still being decoded, for a writer that starts on
// the first rows while the reader decodes the rest: the reader says how
// many rows from the top are final, the writer waits for those it needs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace quorvant::engine {

// What a writer that starts early waits on: the rows of its picture that
// are final so far.
class RowsReady {
 public:
  virtual ~RowsReady() = default;
  // Waits until rows [0, rows) are final; false when they never will be.
  virtual bool wait_for(int32_t rows) = 0;
};

class RowArrival final : public RowsReady {
 public:
  // Rows [0, rows) are final (a smaller count than before changes nothing).
  void arrived(int32_t rows);
  // The reader has ended, whole or not: no more rows come.
  void stopped();
  // Waits until rows [0, rows) are final; false when the reader ended
  // before they were.
  bool wait_for(int32_t rows) override;

 private:
  std::mutex mutex_;
  std::condition_variable more_;
  int32_t rows_ = 0;
  bool stopped_ = false;
};

}  // namespace quorvant::engine
