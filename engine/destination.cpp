#include "engine/destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvant::engine {

Destination::Destination(std::string path) : name_(std::move(path)) {}

Destination Destination::open_file(int fd, std::string name) { return Destination(fd, std::move(name)); }

UniqueFd Destination::create() const {
  if (fd_ < 0) return UniqueFd(::open(name_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  UniqueFd copy(::fcntl(fd_, F_DUPFD_CLOEXEC, 0));
  if (copy && (::ftruncate(copy.get(), 0) != 0 || ::lseek(copy.get(), 0, SEEK_SET) != 0)) copy.reset();
  return copy;
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
