// A scratch buffer is a block of memory backed by a private temporary file
// mapped into the process. Pixel memory lives here rather than on the heap so
// that large pictures do not compete with the heap for address space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvant::engine {

class ScratchBuffer {
 public:
  ScratchBuffer() = default;
  ~ScratchBuffer() { release(); }
  ScratchBuffer(const ScratchBuffer&) = delete;
  ScratchBuffer& operator=(const ScratchBuffer&) = delete;
  ScratchBuffer(ScratchBuffer&& other) noexcept;
  ScratchBuffer& operator=(ScratchBuffer&& other) noexcept;

  // Creates a zero-filled block of `size` bytes in a new file named
  // <temporary folder>/<prefix><counter>.tmp. Releases any block held before.
  // Fails for size 0, a missing temporary folder, a full disk or when every
  // counter value is taken.
  bool create(size_t size, std::string_view prefix);

  // Unmaps the block and deletes its file. The buffer is empty afterwards.
  void release() noexcept;

  // Schedules the mapped bytes for writing back to the file.
  bool flush() noexcept;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  const std::string& path() const { return path_; }
  bool empty() const { return data_ == nullptr; }

 private:
  int fd_ = -1;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  std::string path_;
};

// The folder where scratch files go: $TMPDIR when set and not empty, else /tmp.
std::string temporary_folder();

}  // namespace quorvant::engine
