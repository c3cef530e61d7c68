// Where a writer puts its file: a path that the writer creates, or a file
// the caller has already created and opened.
//
// Writing through a file the caller opened lets a caller that must not
// follow links (the command line writes into a folder others may write
// to) keep the file nameless until it is complete, and publish exactly the
// file it wrote. The writer never opens anything by name then.
#pragma once

#include <string>

#include "engine/unique_fd.h"

namespace quorvant::engine {

class Destination {
 public:
  // A file that the writer creates, or truncates, by name. Most callers
  // name a path, so a path converts to a destination.
  Destination(std::string path);                                     // NOLINT(google-explicit-constructor)
  Destination(const char* path) : Destination(std::string(path)) {}  // NOLINT(google-explicit-constructor)

  // The file open for writing as `fd`, which stays the caller's; `name` is
  // what messages call it.
  static Destination open_file(int fd, std::string name);

  // A descriptor of the file, emptied and ready for writing from offset 0:
  // the named file created or truncated, or a duplicate of the caller's.
  // Fails (with errno set) when the file cannot be created or emptied.
  UniqueFd create() const;

  // After a failed write: a named regular file is removed (a device or a
  // pipe stays), a caller's file is emptied (the caller decides what
  // becomes of it).
  void discard() const;

  // The path, or the name given for the caller's file.
  const std::string& name() const { return name_; }

 private:
  Destination(int fd, std::string name) : name_(std::move(name)), fd_(fd) {}
  std::string name_;
  int fd_ = -1;  // the caller's file, not owned; -1 for a path
};

}  // namespace quorvant::engine
