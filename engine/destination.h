// Where a writer puts its file: a path, or a file the caller has already
// created and opened.
//
// A file written for a path gets the path only when it is complete (see
// output_file.h): a conversion that fails or is cut short, even by the end
// of the process, never leaves a broken file under the path, and never
// spoils the file that was there before. Only where a path names something
// that must be written through (a device, a link) is the path itself
// opened and truncated.
//
// Writing through a file the caller opened lets a caller that must not
// follow links (the command line writes into a folder others may write to)
// publish exactly the file it wrote. The writer never opens anything by
// name then.
#pragma once

#include <optional>
#include <string>

#include "engine/output_file.h"
#include "engine/unique_fd.h"

namespace quorvant::engine {

class Destination {
 public:
  // A file that the writer makes at this path. Most callers name a path, so
  // a path converts to a destination.
  Destination(std::string path);                                     // NOLINT(google-explicit-constructor)
  Destination(const char* path) : Destination(std::string(path)) {}  // NOLINT(google-explicit-constructor)

  // The file open for writing as `fd`, which stays the caller's; `name` is
  // what messages call it.
  static Destination open_file(int fd, std::string name);

  // The file to write, empty and ready from offset 0. `pending`, when set,
  // is the file to publish under the path once it is written (replacing
  // what had it); without it the file already has its name.
  struct Created {
    UniqueFd fd;
    std::optional<OutputFile> pending;
  };
  // Fails (an invalid fd, errno set) when the file cannot be made.
  Created create() const;

  // After a failed write of a file that had a name: a regular file at the
  // path is removed (a device or a pipe stays), a caller's file is emptied
  // (the caller decides what becomes of it).
  void discard() const;

  // The path, or the name given for the caller's file.
  const std::string& name() const { return name_; }

 private:
  Destination(int fd, std::string name) : name_(std::move(name)), fd_(fd) {}
  std::string name_;
  int fd_ = -1;  // the caller's file, not owned; -1 for a path
};

}  // namespace quorvant::engine
