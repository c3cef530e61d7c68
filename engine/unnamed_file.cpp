#include "engine/unnamed_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quorvant::engine {

namespace {

// Gives up after this many private names taken by others.
constexpr int kMostPrivateNames = 100000;

}  // namespace

UniqueFd open_unnamed_file(int folder) { return UniqueFd(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666)); }

bool unnamed_files_unsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

bool link_file(int fd, int folder, const std::string& name) {
  // The descriptor's entry in /proc names exactly this file.
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, path.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  // Without /proc the descriptor itself can be linked, where the process
  // is allowed to.
  return errno == ENOENT && ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0;
}

bool same_file(int fd, int folder, const std::string& name) {
  struct stat ours {};
  struct stat there {};
  return ::fstat(fd, &ours) == 0 && ::fstatat(folder, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
         ours.st_dev == there.st_dev && ours.st_ino == there.st_ino;
}

bool replace_with_file(int fd, int folder, const std::string& name,
                       const std::function<bool(const std::string&, bool)>& watch) {
  const std::string prefix = ".quorvant-" + std::to_string(::getpid()) + "-";
  for (int n = 0; n < kMostPrivateNames; ++n) {
    const std::string step = prefix + std::to_string(n) + ".part";
    if (watch && !watch(step, true)) {
      errno = ECANCELED;
      return false;
    }
    if (!link_file(fd, folder, step)) {
      const int error = errno;
      if (watch) watch(step, false);
      if (error == EEXIST) continue;
      errno = error;
      return false;
    }
    const bool renamed = ::renameat(folder, step.c_str(), folder, name.c_str()) == 0;
    const int error = errno;
    if (!renamed) ::unlinkat(folder, step.c_str(), 0);
    if (watch) watch(step, false);
    if (!renamed) {
      errno = error;
      return false;
    }
    // Someone who can write the folder could have swapped the private name
    // in the moment between; what now has the name must be this file.
    if (!same_file(fd, folder, name)) {
      errno = EBUSY;
      return false;
    }
    return true;
  }
  errno = EEXIST;
  return false;
}

}  // namespace quorvant::engine
