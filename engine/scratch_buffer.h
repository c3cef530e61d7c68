// A scratch buffer is a block of memory backed by a private temporary file
// mapped into the process. Pixel memory lives here rather than on the heap so
// that large pictures do not compete with the heap for address space.
//
// The file's name is removed as soon as the file is mapped: the mapping
// keeps the file alive, and no picture-sized file outlives the process,
// however it ends (a crash or kill -9 included).
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

  // Creates a zero-filled block of `size` bytes in a new file created as
  // <temporary folder>/<prefix><counter>.tmp, whose name is gone again once
  // the block is mapped. Releases any block held before. Fails for size 0,
  // a missing temporary folder, a full disk or when every counter value is
  // taken; failure() then says why.
  bool create(size_t size, std::string_view prefix);

  // Unmaps the block, which frees its file. The buffer is empty afterwards.
  void release() noexcept;

  // Why the last create failed ("cannot make scratch space in /tmp: No
  // space left on device"); empty after a successful create.
  const std::string& failure() const { return failure_; }

  // Schedules the mapped bytes for writing back to the file.
  bool flush() noexcept;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return data_ == nullptr; }
  // The name the file was created under (no longer in the folder); the
  // process's memory map shows it.
  const std::string& name() const { return name_; }

 private:
  bool fail(const std::string& folder, const char* doing);

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  std::string name_;
  std::string failure_;
};

// The folder where scratch files go: $TMPDIR when set and not empty, else /tmp.
std::string temporary_folder();

// Removes from the temporary folder the scratch files a killed process
// left: this user's empty files named "<prefix><counter>.tmp". A live
// buffer's name is gone as soon as its file is made and mapped; one whose
// name is taken away in the moment between loses nothing, since it keeps
// its file open and never uses the name again.
void remove_stale_scratch_files(std::string_view prefix = "CSWCLASS");

}  // namespace quorvant::engine
