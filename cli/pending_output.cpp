#include "cli/pending_output.h"

#include "engine/unnamed_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quorvant::cli {

namespace {

// Gives up after this many private names taken by other runs.
constexpr int kMaxAttempts = 100000;

}  // namespace

bool PendingNames::add(const std::string& name) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  names_.insert(name);
  return true;
}

void PendingNames::forget(const std::string& name) {
  std::lock_guard lock(mutex_);
  // One of possibly several claims: a name being probed may be one that
  // another pending file already holds.
  if (const auto found = names_.find(name); found != names_.end()) names_.erase(found);
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
    engine::UniqueFd fd = engine::open_unnamed_file(dir);
    if (fd) return PendingOutput(dir, std::move(fd), std::move(name), std::move(shown), {}, names);
    if (!engine::unnamed_files_unsupported(errno)) return std::nullopt;
  }
  // A short private name, created exclusively and never followed: it fits
  // beside any destination name, and a planted link is never written through.
  const std::string prefix = ".quorvant-" + std::to_string(::getpid()) + "-w";
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    std::string candidate = prefix + std::to_string(attempt) + ".part";
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

PendingOutput::Published PendingOutput::publish(bool replace) {
  if (!replace) {
    // Linking fails when the name exists: an existing file is never replaced.
    if (!engine::link_file(fd_.get(), folder_, name_)) {
      return errno == EEXIST ? Published::kDestinationExists : Published::kFailed;
    }
  } else {
    PendingNames& names = *names_;
    const auto watch = [&names](const std::string& step, bool made) {
      if (made) return names.add(step);
      names.forget(step);
      return true;
    };
    if (!engine::replace_with_file(fd_.get(), folder_, name_, watch)) return Published::kFailed;
  }
  drop_private_name();
  return Published::kDone;
}

void PendingOutput::drop_private_name() {
  if (private_name_.empty()) return;
  // Only ever the file this object made: a name someone swapped in is left.
  if (engine::same_file(fd_.get(), folder_, private_name_)) ::unlinkat(folder_, private_name_.c_str(), 0);
  names_->forget(private_name_);
  private_name_.clear();
}

}  // namespace quorvant::cli
