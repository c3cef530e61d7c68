#include "cli/memory_budget.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

namespace quorvant::cli {

MemoryBudget::MemoryBudget(uint64_t total, std::function<void()> on_first_wait)
    : total_(total), on_first_wait_(std::move(on_first_wait)) {}

bool MemoryBudget::acquire(uint64_t bytes) {
  std::unique_lock lock(mutex_);
  auto fits = [&] { return stopped_ || holders_ == 0 || in_use_ + bytes <= total_; };
  if (!fits() && !waited_) {
    waited_ = true;
    if (on_first_wait_) on_first_wait_();
  }
  changed_.wait(lock, fits);
  if (stopped_) return false;
  in_use_ += bytes;
  ++holders_;
  return true;
}

void MemoryBudget::release(uint64_t bytes) {
  {
    std::lock_guard lock(mutex_);
    in_use_ -= bytes;
    --holders_;
  }
  changed_.notify_all();
}

void MemoryBudget::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
}

namespace {

// A value of /proc/meminfo, in bytes; 0 when missing.
uint64_t meminfo_bytes(const std::string& key) {
  std::ifstream meminfo("/proc/meminfo");
  std::string line;
  while (std::getline(meminfo, line)) {
    if (line.rfind(key + ":", 0) == 0) {
      std::istringstream fields(line.substr(key.size() + 1));
      uint64_t kilobytes = 0;
      fields >> kilobytes;
      return kilobytes * 1024;
    }
  }
  return 0;
}

// The room left under this process's cgroup (v2) memory limit; 0 when
// there is no limit or it cannot be read.
uint64_t cgroup_room() {
  std::ifstream membership("/proc/self/cgroup");
  std::string line;
  std::string group;
  while (std::getline(membership, line)) {
    if (line.rfind("0::", 0) == 0) group = line.substr(3);
  }
  if (group.empty()) return 0;
  const std::string folder = "/sys/fs/cgroup" + (group == "/" ? std::string() : group);
  std::ifstream max_file(folder + "/memory.max");
  std::ifstream current_file(folder + "/memory.current");
  std::string max_text;
  uint64_t current = 0;
  if (!(max_file >> max_text) || max_text == "max" || !(current_file >> current)) return 0;
  uint64_t limit = 0;
  const auto [end, error] = std::from_chars(max_text.data(), max_text.data() + max_text.size(), limit);
  if (error != std::errc() || end != max_text.data() + max_text.size()) return 0;
  return limit > current ? limit - current : 1;
}

}  // namespace

uint64_t available_memory() {
  const uint64_t machine = meminfo_bytes("MemAvailable");
  const uint64_t group = cgroup_room();
  if (machine == 0) return group;
  return group != 0 && group < machine ? group : machine;
}

}  // namespace quorvant::cli
