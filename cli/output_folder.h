// The folder the converted files go to, held open. Files are made in it and
// published relative to this descriptor, so renaming or replacing the
// folder's path meanwhile never redirects a write.
#pragma once

#include <optional>
#include <string>

#include "engine/unique_fd.h"

namespace quorvant::cli {

class OutputFolder {
 public:
  // Creates the folder (and its parents) when missing and opens it; on
  // failure `why` says what went wrong.
  static std::optional<OutputFolder> open(const std::string& path, std::string& why);

  int descriptor() const { return fd_.get(); }
  const std::string& path() const { return path_; }

 private:
  OutputFolder(engine::UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  engine::UniqueFd fd_;
  std::string path_;
};

}  // namespace quorvant::cli
