#include "engine/webp/webp_threads.h"

namespace quorvant::engine::webp {

void run_with_one_extra_thread(WorkerPool& pool, const std::function<void(bool extra_thread)>& work) {
  const WorkerPool::ThreadLease lease(pool, 1);
  work(lease.extra_threads() > 0);
}

}  // namespace quorvant::engine::webp
