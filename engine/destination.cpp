#include "engine/destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>


namespace quorvant::engine {

namespace {

// The folder part of a path and its last name.
std::pair<std::string, std::string> split_path(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

UniqueFd open_folder(const std::string& folder) {
  return UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

Destination::Destination(std::string path) : name_(std::move(path)) {}

Destination Destination::open_file(int fd, std::string name) { return Destination(fd, std::move(name)); }

Destination::Created Destination::create() const {
  Created created;
  if (fd_ >= 0) {
    created.fd.reset(::fcntl(fd_, F_DUPFD_CLOEXEC, 0));
    if (created.fd && (::ftruncate(created.fd.get(), 0) != 0 || ::lseek(created.fd.get(), 0, SEEK_SET) != 0)) {
      created.fd.reset();
    }
    return created;
  }
  // Only a new or regular file is replaced; whatever else the path names
  // is written through, as the path always was.
  struct stat info {};
  const bool replaceable = ::lstat(name_.c_str(), &info) != 0 ? errno == ENOENT : S_ISREG(info.st_mode);
  const auto [folder, leaf] = split_path(name_);
  if (replaceable && !leaf.empty()) {
    const UniqueFd directory = open_folder(folder);
    if (!directory) return created;
    created.pending = OutputFile::create(directory.get(), leaf);
    if (created.pending) created.fd.reset(::fcntl(created.pending->descriptor(), F_DUPFD_CLOEXEC, 0));
    if (!created.fd) created.pending.reset();
    return created;
  }
  created.fd.reset(::open(name_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return created;
}

void Destination::discard() const {
  struct stat info {};
  if (fd_ < 0) {
    // Only a file: a device or pipe named as the destination stays.
    if (::lstat(name_.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(name_.c_str());
  } else if (::ftruncate(fd_, 0) != 0) {
    // Nothing more can be done; the caller throws its file away anyway.
  }
}

}  // namespace quorvant::engine
