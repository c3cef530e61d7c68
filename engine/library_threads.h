// The threads a codec library that starts threads of its own (an AV1 or
// HEVC coder) may run for one conversion: the calling thread and those the
// engine's worker pool lends it, counted in the process's one thread
// budget for as long as this object lives.
#pragma once

#include "engine/worker_pool.h"

namespace quorvant::engine {

class LibraryThreads {
 public:
  LibraryThreads() : lease_(WorkerPool::shared(), WorkerPool::shared().cores() - 1) {}
  // At least 1; never more than the budget leaves free.
  int count() const { return 1 + static_cast<int>(lease_.extra_threads()); }

 private:
  WorkerPool::ThreadLease lease_;
};

}  // namespace quorvant::engine
