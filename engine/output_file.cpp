#include "engine/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <utility>

#include "engine/folder_entries.h"

namespace quorvant::engine {

namespace {

// Gives up after this many private names taken by others.
constexpr int kMostPrivateNames = 100000;
constexpr std::string_view kPrivatePrefix = ".quorvant-";
constexpr std::string_view kPrivateSuffix = ".part";

// This machine's name as it goes into private names: letters, digits and
// '-' only, which every file system takes. Folders may be shared between
// machines, and a pid means something only on the machine that gave it.
std::string machine_name() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "host";
  std::string name;
  for (const char* c = host; *c != '\0' && name.size() < 40; ++c) {
    name.push_back(std::isalnum(static_cast<unsigned char>(*c)) != 0 ? *c : '-');
  }
  return name;
}

std::string private_prefix() {
  return std::string(kPrivatePrefix) + machine_name() + "-" + std::to_string(::getpid()) + "-";
}

// Private names are numbered across the process, so that threads making
// files at once seldom meet on one name.
std::string next_private_name(const std::string& prefix) {
  static std::atomic<unsigned long> counter{0};
  return prefix + std::to_string(counter++) + std::string(kPrivateSuffix);
}

// Finds a free private name in `folder` and makes it with `make(name)`,
// which answers whether it did, with errno EEXIST when the name was taken.
// `names` hears of the name before it exists.
template <class Make>
std::optional<std::string> claim_private_name(int folder, PrivateNames* names, const Make& make) {
  const std::string prefix = private_prefix();
  for (int attempt = 0; attempt < kMostPrivateNames; ++attempt) {
    std::string candidate = next_private_name(prefix);
    if (names != nullptr && !names->add(folder, candidate)) {
      errno = ECANCELED;
      return std::nullopt;
    }
    if (make(candidate)) return candidate;
    const int error = errno;
    if (names != nullptr) names->forget(folder, candidate);
    if (error != EEXIST) {
      errno = error;
      return std::nullopt;
    }
  }
  errno = EEXIST;
  return std::nullopt;
}

UniqueFd open_unnamed_file(int folder) { return UniqueFd(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666)); }

// Whether open_unnamed_file failed only because the file system does not
// offer unnamed files (a name must be used instead).
bool unnamed_files_unsupported(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

// Links the file open as `fd` under `name` in `folder`; fails with EEXIST
// when something has that name.
bool link_file(int fd, int folder, const std::string& name) {
  // The descriptor's entry in /proc names exactly this file.
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, path.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  // Without /proc the descriptor itself can be linked, where the process
  // is allowed to.
  return errno == ENOENT && ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0;
}

// A file system without hard links (FAT) refuses them with one of these.
bool links_unsupported(int error) { return error == EPERM || error == EOPNOTSUPP || error == ENOSYS; }

// Whether `name` in `folder` is, without following a link, the file open
// as `fd`.
bool same_file(int fd, int folder, const std::string& name) {
  struct stat ours {};
  struct stat there {};
  return ::fstat(fd, &ours) == 0 && ::fstatat(folder, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
         ours.st_dev == there.st_dev && ours.st_ino == there.st_ino;
}

bool exists(int folder, const std::string& name) {
  struct stat info {};
  return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// The pid a private name of this machine carries, or 0 for any other name.
pid_t pid_of_private_name(std::string_view name, std::string_view machine_prefix) {
  if (!name.starts_with(machine_prefix) || !name.ends_with(kPrivateSuffix)) return 0;
  name.remove_prefix(machine_prefix.size());
  name.remove_suffix(kPrivateSuffix.size());
  const size_t dash = name.find('-');
  if (dash == std::string_view::npos) return 0;
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
  if (error != std::errc() || end != name.data() + dash || pid <= 0) return 0;
  return pid;
}

bool process_runs(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

bool PrivateNames::add(int folder, const std::string& name) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  names_.emplace(folder, name);
  return true;
}

void PrivateNames::forget(int folder, const std::string& name) {
  std::lock_guard lock(mutex_);
  if (const auto found = names_.find({folder, name}); found != names_.end()) names_.erase(found);
}

void PrivateNames::remove_all() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (const auto& [folder, name] : names_) ::unlinkat(folder, name.c_str(), 0);
  names_.clear();
}

OutputFile::OutputFile(UniqueFd folder, UniqueFd fd, std::string name, std::string private_name,
                       PrivateNames* names)
    : folder_(std::move(folder)),
      fd_(std::move(fd)),
      name_(std::move(name)),
      private_name_(std::move(private_name)),
      names_(names) {}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : folder_(std::move(other.folder_)),
      fd_(std::move(other.fd_)),
      name_(std::move(other.name_)),
      private_name_(std::exchange(other.private_name_, {})),
      names_(other.names_) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    drop_private_name();
    folder_ = std::move(other.folder_);
    fd_ = std::move(other.fd_);
    name_ = std::move(other.name_);
    private_name_ = std::exchange(other.private_name_, {});
    names_ = other.names_;
  }
  return *this;
}

OutputFile::~OutputFile() { drop_private_name(); }

std::optional<OutputFile> OutputFile::create(int folder, std::string name, PrivateNames* names,
                                             bool allow_unnamed) {
  UniqueFd own_folder(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
  if (!own_folder) return std::nullopt;
  const int dir = own_folder.get();
  if (allow_unnamed) {
    UniqueFd fd = open_unnamed_file(dir);
    if (fd) return OutputFile(std::move(own_folder), std::move(fd), std::move(name), {}, names);
    if (!unnamed_files_unsupported(errno)) return std::nullopt;
  }
  // A short private name, created exclusively and never followed: it fits
  // beside any destination name, and a planted link is never written through.
  UniqueFd fd;
  std::optional<std::string> claimed = claim_private_name(dir, names, [&](const std::string& candidate) {
    fd.reset(::openat(dir, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return static_cast<bool>(fd);
  });
  if (!claimed) return std::nullopt;
  return OutputFile(std::move(own_folder), std::move(fd), std::move(name), std::move(*claimed), names);
}

OutputFile::Published OutputFile::publish(bool replace) {
  if (!replace) return publish_new();
  // A file without a name is first linked under a private name, which is
  // then renamed over the destination in one step.
  if (!named()) {
    std::optional<std::string> claimed = claim_private_name(
        folder_.get(), names_, [&](const std::string& step) { return link_file(fd_.get(), folder_.get(), step); });
    if (!claimed) return Published::kFailed;
    private_name_ = std::move(*claimed);
  }
  return rename_private_name(true);
}

OutputFile::Published OutputFile::publish_new() {
  // Linking names exactly this file, whatever became of its private name,
  // and fails when the destination exists.
  if (link_file(fd_.get(), folder_.get(), name_)) {
    drop_private_name();
    return Published::kDone;
  }
  if (errno == EEXIST) return Published::kDestinationExists;
  // Without hard links, a file with a private name is renamed instead.
  if (named() && links_unsupported(errno)) return rename_private_name(false);
  return Published::kFailed;
}

OutputFile::Published OutputFile::rename_private_name(bool replace) {
  const int folder = folder_.get();
  int renamed = ::renameat2(folder, private_name_.c_str(), folder, name_.c_str(), replace ? 0 : RENAME_NOREPLACE);
  if (renamed != 0 && !replace && errno == EINVAL) {
    // A file system that cannot rename without replacing (some FUSE ones):
    // the check and the rename are two steps there.
    if (exists(folder, name_)) {
      errno = EEXIST;
    } else {
      renamed = ::renameat(folder, private_name_.c_str(), folder, name_.c_str());
    }
  }
  if (renamed != 0) return errno == EEXIST && !replace ? Published::kDestinationExists : Published::kFailed;
  if (names_ != nullptr) names_->forget(folder, private_name_);
  private_name_.clear();
  // Whoever can write the folder could have swapped the private name in the
  // moment before: what now has the name must be this file.
  if (!same_file(fd_.get(), folder, name_)) {
    errno = EBUSY;
    return Published::kFailed;
  }
  return Published::kDone;
}

void OutputFile::drop_private_name() {
  if (private_name_.empty()) return;
  // Only ever the file this object made: a name someone swapped in is left.
  if (same_file(fd_.get(), folder_.get(), private_name_)) ::unlinkat(folder_.get(), private_name_.c_str(), 0);
  if (names_ != nullptr) names_->forget(folder_.get(), private_name_);
  private_name_.clear();
}

void remove_stale_private_names(int folder) {
  const std::string machine_prefix = std::string(kPrivatePrefix) + machine_name() + "-";
  for_each_name(folder, [&](const char* name) {
    const pid_t pid = pid_of_private_name(name, machine_prefix);
    if (pid == 0 || process_runs(pid)) return;
    struct stat info {};
    // Files only: a folder or a link of that name is not ours.
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
      ::unlinkat(folder, name, 0);
    }
  });
}

}  // namespace quorvant::engine
