// A stdio file owned by one object: closed when the object goes. It
// remembers why its first operation failed, in words, for the messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "engine/unique_fd.h"

namespace quorvant::engine {

// A file read with pread at a position of its own: several readers of one
// open file never move each other's place in it.
class PositionedReader {
 public:
  PositionedReader() = default;
  explicit PositionedReader(UniqueFd fd) : fd_(std::move(fd)) {}

  explicit operator bool() const { return static_cast<bool>(fd_); }
  int descriptor() const { return fd_.get(); }
  uint64_t position() const { return position_; }

  // As read(2), from the position, which moves on by what was read.
  ssize_t read(void* bytes, size_t count);
  // Moves the position as lseek(2) would: `offset` from the start, the
  // position or the end (SEEK_SET, SEEK_CUR, SEEK_END). False, with errno
  // set, for a place before the start or past what a file offset holds.
  bool seek(int64_t offset, int whence);
  // The file's size, or nothing when it cannot be told.
  std::optional<uint64_t> size() const;

 private:
  UniqueFd fd_;
  uint64_t position_ = 0;
};

class File {
 public:
  File() = default;

  // A stream that reads the file open as `fd` (which it takes over) with
  // pread, from offset 0: its position is its own, whoever else reads the
  // same open file. `name` is what messages call it.
  static File read_at_own_position(UniqueFd fd, std::string name);
  // Takes over a file open for writing; `name` is what messages call it.
  static File adopt(UniqueFd fd, std::string name);

  explicit operator bool() const { return handle_ != nullptr; }
  FILE* get() const { return handle_.get(); }

  bool read_exact(void* bytes, size_t count);
  bool write_all(const void* bytes, size_t count);
  bool seek(uint64_t offset);
  // The file's size in bytes, or nothing when it cannot be told.
  std::optional<uint64_t> size() const;
  // Closes the file; false when buffered data could not be written.
  bool close();

  // Why the first failed open, write or close failed ("cannot write
  // out.png: No space left on device"); a read that finds the file short
  // says so. Empty while nothing failed.
  const std::string& failure() const { return failure_; }

 private:
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  File(FILE* f, std::string name);
  bool note(const char* doing);

  int descriptor_ = -1;  // for size(), when the stream has no descriptor of its own
  bool writing_ = false;  // made by adopt()

  // The stdio buffer must outlive the handle, which flushes through it when
  // it closes: members are destroyed in reverse order.
  std::unique_ptr<char[]> buffer_;
  std::unique_ptr<FILE, Closer> handle_;
  std::string name_;
  std::string failure_;
};

}  // namespace quorvant::engine
