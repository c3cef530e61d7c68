// What the JPEG XL reader and writer share: libjxl's threads, taken from the
// engine's worker pool, and a memory manager that keeps the library within
// a budget.
#pragma once

#include <jxl/memory_manager.h>
#include <jxl/parallel_runner.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace quorvant::engine::jxl {

// libjxl's parallel runner over WorkerPool::shared(): its tasks run on the
// calling thread and on the helpers the pool's budget allows, never more.
// Pass `run_on_worker_pool` with a null runner_opaque.
JxlParallelRetCode run_on_worker_pool(void* runner_opaque, void* jpegxl_opaque, JxlParallelRunInit init,
                                      JxlParallelRunFunction task, uint32_t start_range, uint32_t end_range);

// Refuses any allocation that would bring what the library holds through
// it above `limit` bytes; libjxl answers a refusal as an error rather than
// crashing. The limit may be raised once the picture's size is known.
class MemoryBudget {
 public:
  explicit MemoryBudget(uint64_t limit) : limit_(limit) {}
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  void set_limit(uint64_t limit) { limit_.store(limit); }
  // True once an allocation has been refused: the failure that followed
  // was the budget's, not damage in the file.
  bool exhausted() const { return exhausted_.load(); }
  // For JxlDecoderCreate and JxlEncoderCreate; lives as long as this object.
  const JxlMemoryManager* manager() const { return &manager_; }

 private:
  static void* allocate(void* opaque, size_t size);
  static void release(void* opaque, void* address);

  std::atomic<uint64_t> limit_;
  std::atomic<uint64_t> used_{0};
  std::atomic<bool> exhausted_{false};
  JxlMemoryManager manager_{this, &MemoryBudget::allocate, &MemoryBudget::release};
};

}  // namespace quorvant::engine::jxl
