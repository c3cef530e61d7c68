#include "cli/pending_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

namespace quorvant::cli {

namespace {

// Gives up after this many names taken by other runs.
constexpr int kMaxAttempts = 1000;

// Moves `from` to `to` unless `to` exists; atomic where the file system
// supports it, else by a hard link, which also fails on an existing name.
bool move_without_replacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

}  // namespace

PendingOutput::PendingOutput(std::string destination, std::string temporary)
    : destination_(std::move(destination)), temporary_(std::move(temporary)) {}

PendingOutput::PendingOutput(PendingOutput&& other) noexcept
    : destination_(std::move(other.destination_)), temporary_(std::exchange(other.temporary_, {})) {}

PendingOutput::~PendingOutput() {
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

std::optional<PendingOutput> PendingOutput::create(const std::string& destination) {
  const std::filesystem::path target(destination);
  std::string hidden_name = target.filename().string();
  hidden_name.insert(0, 1, '.');
  const std::string stem = (target.parent_path() / hidden_name).string();
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    std::string candidate = stem + ".part" + std::to_string(attempt);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return PendingOutput(destination, std::move(candidate));
    }
    if (errno != EEXIST) return std::nullopt;
  }
  errno = EEXIST;
  return std::nullopt;
}

PendingOutput::Published PendingOutput::publish(bool replace) {
  const bool moved = replace ? ::rename(temporary_.c_str(), destination_.c_str()) == 0
                             : move_without_replacing(temporary_, destination_);
  if (!moved) return errno == EEXIST ? Published::kDestinationExists : Published::kFailed;
  temporary_.clear();
  return Published::kDone;
}

}  // namespace quorvant::cli
