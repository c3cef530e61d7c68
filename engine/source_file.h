// A picture file to read, opened once. The loader's checks, every reader it
// offers the file to and the memory estimate all read this one open file,
// each through a stream of its own: a path swapped for a pipe, a link or
// another file after it was checked changes nothing, and nothing that
// reads the file opens it again.
#pragma once

#include <cstdint>
#include <string>

#include "engine/file.h"
#include "engine/result_codes.h"
#include "engine/unique_fd.h"

namespace quorvant::engine {

class SourceFile {
 public:
  // Opens `path` without waiting (a pipe or a device never blocks the
  // open) and accepts it only when it is a regular file. status() says how
  // that went.
  static SourceFile open(const std::string& path);

  // kLoaded when the file is open and regular; kSourceMissing when nothing
  // has that path; kUnreadable otherwise, with failure() saying why.
  ResultCode status() const { return status_; }
  explicit operator bool() const { return status_ == kLoaded; }
  const std::string& failure() const { return failure_; }

  const std::string& path() const { return path_; }
  uint64_t size() const { return size_; }

  // A stream over the file from its first byte, with a position of its own
  // and a descriptor of its own: it may outlive this object, and several
  // may be read at once.
  File stream() const;
  // A descriptor of the file for a library that reads through calls of its
  // own; it reads with pread, so it shares no position with anyone.
  UniqueFd duplicate() const;

 private:
  SourceFile() = default;

  std::string path_;
  UniqueFd fd_;
  uint64_t size_ = 0;
  ResultCode status_ = kUnreadable;
  std::string failure_;
};

}  // namespace quorvant::engine
