#include "engine/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace quorvant::engine {

SourceFile SourceFile::open(const std::string& path) {
  SourceFile source;
  source.path_ = path;
  if (path.empty()) {
    source.status_ = kSourceMissing;
    return source;
  }
  // O_NONBLOCK: opening a pipe nobody writes to, or a device, must not
  // wait. The descriptor is checked before anything reads from it.
  source.fd_.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!source.fd_) {
    if (errno == ENOENT || errno == ENOTDIR) {
      source.status_ = kSourceMissing;
    } else {
      source.failure_ = "cannot open " + path + ": " + std::strerror(errno);
    }
    return source;
  }
  struct stat info {};
  if (::fstat(source.fd_.get(), &info) != 0) {
    source.failure_ = "cannot open " + path + ": " + std::strerror(errno);
    source.fd_.reset();
    return source;
  }
  // Folders, devices and pipes are not pictures.
  if (!S_ISREG(info.st_mode)) {
    source.failure_ = kNotAPicture;
    source.fd_.reset();
    return source;
  }
  // A regular file reads the same either way; without the flag a file
  // under a mandatory lock waits rather than failing a read.
  const int flags = ::fcntl(source.fd_.get(), F_GETFL);
  if (flags >= 0) ::fcntl(source.fd_.get(), F_SETFL, flags & ~O_NONBLOCK);
  source.size_ = static_cast<uint64_t>(info.st_size);
  source.status_ = kLoaded;
  return source;
}

UniqueFd SourceFile::duplicate() const { return fd_.duplicate(); }

File SourceFile::stream() const { return File::read_at_own_position(duplicate(), path_); }

}  // namespace quorvant::engine
