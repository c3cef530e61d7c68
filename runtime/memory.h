// The runtime's heap: texts and arrays that travel in value records are
// allocated here and released by whoever receives them.
//
// Release does nothing for a null pointer or for a pointer inside one of the
// registered constant-data ranges (the application's literals), so a
// variable may start as a literal and later be released like any other.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvant::runtime {

// A block of `size` bytes. Running out of memory is runtime error 0 with
// "分配 <size> 字节内存失败!", which ends the program.
void* allocate(size_t size);
// Null is allocated afresh; a pointer into constant data gets a new block
// holding the bytes from the pointer to the end of its range (at most
// `size`); any other block is resized, perhaps moved.
void* reallocate(void* block, size_t size);
void release(void* block);

// Registers [start, start + size) as constant data.
void register_constant_range(const void* start, size_t size);
bool is_constant(const void* pointer);

}  // namespace quorvant::runtime
