// A file descriptor owned by one object: closed when the object goes.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <utility>

namespace quorvant::engine {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release() { return std::exchange(fd_, -1); }
  // Another descriptor of the same open file (closed on exec); an empty
  // one, errno set, when there is none to copy or none to be had.
  UniqueFd duplicate() const {
    if (fd_ < 0) {
      errno = EBADF;
      return UniqueFd();
    }
    return UniqueFd(::fcntl(fd_, F_DUPFD_CLOEXEC, 0));
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace quorvant::engine
