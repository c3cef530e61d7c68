#include "cli/pending_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace quorvant::cli {

namespace {

// Gives up after this many private names taken by other runs.
constexpr int kMaxAttempts = 100000;

std::string descriptor_path(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

bool same_file(int fd, int folder, const std::string& name) {
  struct stat ours {};
  struct stat there {};
  return ::fstat(fd, &ours) == 0 && ::fstatat(folder, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
         ours.st_dev == there.st_dev && ours.st_ino == there.st_ino;
}

}  // namespace

bool PendingNames::add(const std::string& name) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  names_.insert(name);
  return true;
}

void PendingNames::forget(const std::string& name) {
  std::lock_guard lock(mutex_);
  names_.erase(name);
}

void PendingNames::remove_all() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (const std::string& name : names_) ::unlinkat(folder_, name.c_str(), 0);
  names_.clear();
}

PendingOutput::PendingOutput(int folder, engine::UniqueFd fd, std::string name, std::string shown,
                             std::string private_name, PendingNames& names)
    : folder_(folder),
      fd_(std::move(fd)),
      name_(std::move(name)),
      shown_(std::move(shown)),
      private_name_(std::move(private_name)),
      names_(&names) {}

PendingOutput::PendingOutput(PendingOutput&& other) noexcept
    : folder_(other.folder_),
      fd_(std::move(other.fd_)),
      name_(std::move(other.name_)),
      shown_(std::move(other.shown_)),
      private_name_(std::exchange(other.private_name_, {})),
      names_(other.names_) {}

PendingOutput::~PendingOutput() { drop_private_name(); }

std::optional<PendingOutput> PendingOutput::create(const OutputFolder& folder, std::string name, std::string shown,
                                                   PendingNames& names, bool allow_unnamed) {
  const int dir = folder.descriptor();
  if (allow_unnamed) {
    engine::UniqueFd fd(::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (fd) return PendingOutput(dir, std::move(fd), std::move(name), std::move(shown), {}, names);
    // File systems without unnamed files answer one of these.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) return std::nullopt;
  }
  // A short private name, created exclusively and never followed: it fits
  // beside any destination name, and a planted link is never written through.
  static std::atomic<unsigned> next{0};
  const std::string prefix = ".quorvant-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    std::string candidate = prefix + std::to_string(next++) + ".part";
    if (!names.add(candidate)) {
      errno = ECANCELED;
      return std::nullopt;
    }
    engine::UniqueFd fd(::openat(dir, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd) return PendingOutput(dir, std::move(fd), std::move(name), std::move(shown), std::move(candidate), names);
    const int error = errno;
    names.forget(candidate);
    if (error != EEXIST) {
      errno = error;
      return std::nullopt;
    }
  }
  errno = EEXIST;
  return std::nullopt;
}

bool PendingOutput::link_as(const std::string& name) {
  // The descriptor's entry in /proc names exactly this file: linking it
  // cannot be redirected, and fails when `name` exists.
  if (::linkat(AT_FDCWD, descriptor_path(fd_.get()).c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return true;
  // Without /proc the descriptor itself can be linked, where the process
  // is allowed to.
  return errno == ENOENT && ::linkat(fd_.get(), "", folder_, name.c_str(), AT_EMPTY_PATH) == 0;
}

PendingOutput::Published PendingOutput::publish(bool replace) {
  if (!replace) {
    if (!link_as(name_)) return errno == EEXIST ? Published::kDestinationExists : Published::kFailed;
  } else {
    // The file gets a private name first, then takes the destination's
    // place in one step; a link there is replaced, never followed.
    static std::atomic<unsigned> next{0};
    const std::string step = ".quorvant-" + std::to_string(::getpid()) + "-r" + std::to_string(next++) + ".part";
    if (!names_->add(step)) {
      errno = ECANCELED;
      return Published::kFailed;
    }
    if (!link_as(step)) {
      const int error = errno;
      names_->forget(step);
      errno = error;
      return Published::kFailed;
    }
    const bool renamed = ::renameat(folder_, step.c_str(), folder_, name_.c_str()) == 0;
    const int error = errno;
    if (!renamed) ::unlinkat(folder_, step.c_str(), 0);
    names_->forget(step);
    if (!renamed) {
      errno = error;
      return Published::kFailed;
    }
    // Someone who can write the folder could have swapped the step name in
    // the moment between; what now has the name must be this file.
    if (!same_file(fd_.get(), folder_, name_)) {
      errno = EBUSY;
      return Published::kFailed;
    }
  }
  drop_private_name();
  return Published::kDone;
}

void PendingOutput::drop_private_name() {
  if (private_name_.empty()) return;
  // Only ever the file this object made: a name someone swapped in is left.
  if (same_file(fd_.get(), folder_, private_name_)) ::unlinkat(folder_, private_name_.c_str(), 0);
  names_->forget(private_name_);
  private_name_.clear();
}

}  // namespace quorvant::cli
