// The folder the converted files go to, held open. Files are made in it and
// published relative to this descriptor, so renaming or replacing the
// folder's path meanwhile never redirects a write. Opening it removes the
// private names that killed runs of this machine left there.
#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "engine/unique_fd.h"

namespace quorvant::cli {

class OutputFolder {
 public:
  // Creates the folder (and its parents) when missing and opens it; on
  // failure `why` says what went wrong.
  static std::optional<OutputFolder> open(const std::string& path, std::string& why);

  OutputFolder(OutputFolder&& other) noexcept;

  int descriptor() const { return fd_.get(); }
  const std::string& path() const { return path_; }

  // The folder `relative` below this one ("a/b"; empty: this one), made
  // when missing. Each step is opened without following a link, so a link
  // planted below the output folder never leads a file elsewhere. Invalid,
  // with `why` set, when it cannot be made or opened.
  engine::UniqueFd below(const std::string& relative, std::string& why);

 private:
  OutputFolder(engine::UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  engine::UniqueFd fd_;
  std::string path_;
  std::mutex mutex_;
  std::set<std::string> cleaned_;  // the folders below whose stale names are gone
};

}  // namespace quorvant::cli
