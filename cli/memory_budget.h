// Conversions that run at once must fit in memory together: -j N is an upper
// bound, not a promise. Each conversion asks for its estimated need before
// it starts and gives it back when it ends; one that does not fit beside
// those running waits for them. A conversion always runs when nothing else
// does, whatever it needs.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace quorvant::cli {

class MemoryBudget {
 public:
  // `on_first_wait` runs once, the first time a conversion is held back.
  MemoryBudget(uint64_t total, std::function<void()> on_first_wait);

  // Blocks until `bytes` fit beside what is in use (or nothing is in use),
  // then takes them. False, without taking anything, once stop() was called.
  bool acquire(uint64_t bytes);
  void release(uint64_t bytes);
  // Wakes every waiting acquire, which then answers false.
  void stop();

  uint64_t total() const { return total_; }

 private:
  const uint64_t total_;
  std::function<void()> on_first_wait_;
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t in_use_ = 0;
  int holders_ = 0;
  bool stopped_ = false;
  bool waited_ = false;
};

// What the machine can give the run: the kernel's MemAvailable, or the room
// left under this process's cgroup limit when that is less. 0 when neither
// can be read.
uint64_t available_memory();

}  // namespace quorvant::cli
