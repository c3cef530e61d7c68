#include "runtime/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/runtime_error.h"
#include "runtime/runtime_object.h"

namespace quorvant::runtime {

namespace {

// The end of the constant range that holds `pointer`, or nullptr.
const char* constant_end(const void* pointer) {
  RuntimeObject& rt = runtime_object();
  std::lock_guard lock(rt.constants_mutex);
  const auto* p = static_cast<const char*>(pointer);
  for (const auto& [start, end] : rt.constants) {
    if (p >= start && p < end) return end;
  }
  return nullptr;
}

[[noreturn]] void out_of_memory(size_t size) {
  raise_runtime_error(0, "分配 " + std::to_string(size) + " 字节内存失败!");
}

}  // namespace

void register_constant_range(const void* start, size_t size) {
  if (start == nullptr || size == 0) return;
  RuntimeObject& rt = runtime_object();
  std::lock_guard lock(rt.constants_mutex);
  const auto* begin = static_cast<const char*>(start);
  rt.constants.emplace_back(begin, begin + size);
}

bool is_constant(const void* pointer) { return pointer != nullptr && constant_end(pointer) != nullptr; }

void* allocate(size_t size) {
  void* block = std::malloc(std::max<size_t>(size, 1));
  if (block == nullptr) out_of_memory(size);
  return block;
}

void* reallocate(void* block, size_t size) {
  if (block == nullptr) return allocate(size);
  if (const char* end = constant_end(block)) {
    void* fresh = allocate(size);
    const auto available = static_cast<size_t>(end - static_cast<const char*>(block));
    std::memcpy(fresh, block, std::min(available, size));
    return fresh;
  }
  void* resized = std::realloc(block, std::max<size_t>(size, 1));
  if (resized == nullptr) out_of_memory(size);
  return resized;
}

void release(void* block) {
  if (block == nullptr || is_constant(block)) return;
  std::free(block);
}

}  // namespace quorvant::runtime
