#include "engine/worker_pool.h"

#include <sched.h>

#include <algorithm>

namespace quorvant::engine {

unsigned usable_cores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  const unsigned reported = std::thread::hardware_concurrency();
  return reported > 0 ? reported : 1;
}

WorkerPool::WorkerPool(unsigned cores) : cores_(cores > 0 ? cores : 1), busy_limit_(cores_) {}

void WorkerPool::limit_busy_threads(unsigned threads) {
  std::lock_guard lock(mutex_);
  busy_limit_ = std::clamp(threads, 1u, cores_);
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_or_stop_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

WorkerPool& WorkerPool::shared() {
  static WorkerPool pool(usable_cores());
  return pool;
}

WorkerPool::ConversionSlot::ConversionSlot(WorkerPool& pool) : pool_(pool) {
  std::lock_guard lock(pool_.mutex_);
  ++pool_.conversions_;
}

WorkerPool::ThreadLease::ThreadLease(WorkerPool& pool, unsigned wanted) : pool_(pool) {
  std::lock_guard lock(pool_.mutex_);
  granted_ = std::min(wanted, pool_.free_threads());
  pool_.busy_helpers_ += granted_;
}

WorkerPool::ThreadLease::~ThreadLease() {
  if (granted_ == 0) return;
  {
    std::lock_guard lock(pool_.mutex_);
    pool_.busy_helpers_ -= granted_;
  }
  pool_.work_or_stop_.notify_all();
}

WorkerPool::ConversionSlot::~ConversionSlot() {
  {
    std::lock_guard lock(pool_.mutex_);
    --pool_.conversions_;
  }
  // A core came free: a helper may take a part now.
  pool_.work_or_stop_.notify_one();
}

void WorkerPool::start_helpers() {
  // Called with the lock held, the first time a batch arrives.
  if (!helpers_.empty() || cores_ < 2) return;
  for (unsigned i = 1; i < cores_; ++i) helpers_.emplace_back([this] { help(); });
}

unsigned WorkerPool::free_threads() const {
  // A conversion with no slot (a test, a tool) still counts as one.
  const unsigned running = conversions_ > 0 ? conversions_ : 1;
  const unsigned busy = running + busy_helpers_;
  return busy < busy_limit_ ? busy_limit_ - busy : 0;
}

unsigned WorkerPool::idle_helpers() {
  std::lock_guard lock(mutex_);
  return std::min(free_threads(), cores_ - 1);
}

WorkerPool::Batch* WorkerPool::claim(size_t& index) {
  if (free_threads() == 0) return nullptr;
  for (Batch& batch : batches_) {
    if (batch.next < batch.count) {
      index = batch.next++;
      return &batch;
    }
  }
  return nullptr;
}

void WorkerPool::help() {
  std::unique_lock lock(mutex_);
  for (;;) {
    size_t index = 0;
    Batch* batch = nullptr;
    work_or_stop_.wait(lock, [&] { return stopping_ || (batch = claim(index)) != nullptr; });
    if (stopping_) return;
    ++busy_helpers_;
    run_part(*batch, index, lock);
    --busy_helpers_;
    if (batch->finished == batch->count) batch_done_.notify_all();
  }
}

void WorkerPool::run_part(Batch& batch, size_t index, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  std::exception_ptr failure;
  try {
    (*batch.part)(index);
  } catch (...) {
    // No exception may leave a helper thread: it goes to the caller.
    failure = std::current_exception();
  }
  lock.lock();
  if (failure && !batch.failure) batch.failure = failure;
  ++batch.finished;
}

void WorkerPool::run(size_t count, const std::function<void(size_t)>& part) {
  if (count == 0) return;
  std::unique_lock lock(mutex_);
  start_helpers();
  Batch& batch = batches_.emplace_back(Batch{&part, count, 0, 0, nullptr});
  const auto position = std::prev(batches_.end());
  work_or_stop_.notify_all();
  // The calling thread works through its own batch too.
  while (batch.next < batch.count) run_part(batch, batch.next++, lock);
  batch_done_.wait(lock, [&] { return batch.finished == batch.count; });
  const std::exception_ptr failure = batch.failure;
  batches_.erase(position);
  lock.unlock();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace quorvant::engine
