#include "engine/jxl/jxl_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "engine/worker_pool.h"

namespace quorvant::engine::jxl {

JxlParallelRetCode run_on_worker_pool(void*, void* jpegxl_opaque, JxlParallelRunInit init, JxlParallelRunFunction task,
                                      uint32_t start_range, uint32_t end_range) {
  if (end_range <= start_range) return 0;
  WorkerPool& pool = WorkerPool::shared();
  // One part per thread the pool could lend; each part is one of libjxl's
  // "threads" (its scratch space is indexed by the part's number) and takes
  // tasks until none are left, so parts that find no free helper cost
  // nothing: the calling thread then does their share.
  const size_t parts = std::min<size_t>(pool.cores(), end_range - start_range);
  if (const JxlParallelRetCode status = init(jpegxl_opaque, parts); status != 0) return status;
  std::atomic<uint32_t> next{start_range};
  try {
    pool.run(parts, [&](size_t part) {
      for (uint32_t value = next++; value < end_range; value = next++) task(jpegxl_opaque, value, part);
    });
  } catch (...) {
    return JXL_PARALLEL_RET_RUNNER_ERROR;
  }
  return 0;
}

namespace {

// Each block starts with its size, kept in a header that preserves
// malloc's alignment.
constexpr size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* MemoryBudget::allocate(void* opaque, size_t size) {
  auto* budget = static_cast<MemoryBudget*>(opaque);
  if (size > budget->limit_.load()) {
    budget->exhausted_ = true;
    return nullptr;
  }
  const uint64_t before = budget->used_.fetch_add(size);
  if (before + size > budget->limit_.load()) {
    budget->used_.fetch_sub(size);
    budget->exhausted_ = true;
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) {
    budget->used_.fetch_sub(size);
    budget->exhausted_ = true;
    return nullptr;
  }
  std::memcpy(block, &size, sizeof size);
  return block + kHeader;
}

void MemoryBudget::release(void* opaque, void* address) {
  if (address == nullptr) return;
  auto* budget = static_cast<MemoryBudget*>(opaque);
  unsigned char* block = static_cast<unsigned char*>(address) - kHeader;
  size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  budget->used_.fetch_sub(size);
  std::free(block);
}

}  // namespace quorvant::engine::jxl
