#include "engine/scratch_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/folder_entries.h"
#include "engine/unique_fd.h"

namespace quorvant::engine {

namespace {

// The highest counter value probed for a free temporary name.
constexpr long kLastCounter = 2047483647;

bool is_directory(const std::string& path) {
  struct stat info {};
  errno = 0;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Buffers up to this size are reserved by writing their zeros; larger ones
// by posix_fallocate. 256 MiB holds an 85-megapixel colour picture.
constexpr size_t kLargestZeroFilled = size_t{256} << 20;

// Both ways reserve the file's space before it is mapped, so that a full
// disk fails here instead of killing the process with SIGBUS when the
// mapping is first written: the file is never sparse.
//
// Writing the zeros is the cheap way to make the pages of an ordinary
// picture. A page first touched through the mapping costs a fault in which
// the file system prepares that one page (about 3 us a page on ext4: 12 ms
// for a 3000 x 2000 picture); written through the file, the same pages are
// made in large pieces, and the mapping's faults find them ready. The space
// is reserved without choosing blocks (delayed allocation), and a file
// deleted before write-back never gets any, so releasing it frees none.
bool write_zeros(int fd, size_t size) {
  // One zero block named many times per call: large writes, little memory.
  static constexpr size_t kBlock = 1 << 16;
  static constexpr size_t kBlocksPerCall = 64;
  static const char zeros[kBlock] = {};
  iovec pieces[kBlocksPerCall];
  for (iovec& piece : pieces) piece = {const_cast<char*>(zeros), kBlock};

  size_t done = 0;
  while (done < size) {
    const size_t wanted = std::min(size - done, kBlock * kBlocksPerCall);
    const size_t whole = wanted / kBlock;
    size_t count = whole;
    if (wanted % kBlock != 0) pieces[count++].iov_len = wanted % kBlock;
    const ssize_t written = ::pwritev(fd, pieces, static_cast<int>(count), static_cast<off_t>(done));
    if (count > whole) pieces[whole].iov_len = kBlock;
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) errno = ENOSPC;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

// A header may claim gigabytes that its file cannot fill, and the reader
// finds that out only after the buffer is made: writing gigabytes of zeros
// for it would cost seconds and real disk traffic, where allocating the
// blocks costs a little bookkeeping.
bool allocate(int fd, size_t size) {
  const auto length = static_cast<off_t>(size);
  const int error = ::posix_fallocate(fd, 0, length);
  if (error == EOPNOTSUPP || error == EINVAL) {
    return ::ftruncate(fd, length) == 0;
  }
  errno = error;
  return error == 0;
}

bool reserve(int fd, size_t size) { return size <= kLargestZeroFilled ? write_zeros(fd, size) : allocate(fd, size); }

}  // namespace

void remove_stale_scratch_files(std::string_view prefix) {
  const UniqueFd folder(::open(temporary_folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return;
  for_each_name(folder.get(), [&](const char* entry) {
    const std::string_view name = entry;
    if (!name.starts_with(prefix) || !name.ends_with(".tmp")) return;
    const std::string_view counter = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (counter.empty() || counter.find_first_not_of("0123456789") != std::string_view::npos) return;
    struct stat info {};
    if (::fstatat(folder.get(), entry, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
        info.st_uid == ::geteuid() && info.st_size == 0) {
      ::unlinkat(folder.get(), entry, 0);
    }
  });
}

std::string temporary_folder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
}

ScratchBuffer::ScratchBuffer(ScratchBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      name_(std::exchange(other.name_, {})),
      failure_(std::exchange(other.failure_, {})) {}

ScratchBuffer& ScratchBuffer::operator=(ScratchBuffer&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    name_ = std::exchange(other.name_, {});
    failure_ = std::exchange(other.failure_, {});
  }
  return *this;
}

bool ScratchBuffer::fail(const std::string& folder, const char* doing) {
  const int error = errno;
  failure_ = std::string(doing) + " " + folder + ": " + std::strerror(error);
  return false;
}

bool ScratchBuffer::create(size_t size, std::string_view prefix) {
  release();
  failure_.clear();
  if (size == 0) {
    failure_ = "cannot make scratch space of 0 bytes";
    return false;
  }

  std::string folder = temporary_folder();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (!is_directory(folder)) {
    if (errno == 0) errno = ENOTDIR;
    return fail(folder, "cannot make scratch space in");
  }
  const std::string shown_folder = folder;
  if (folder.back() != '/') folder.push_back('/');

  // Names are probed in counter order and created exclusively: a name that
  // another process took between two probes is simply skipped, and a file
  // somebody else made (or a planted symbolic link) is never opened or
  // deleted.
  std::string candidate;
  UniqueFd fd;
  for (long counter = 0; counter <= kLastCounter && !fd; ++counter) {
    candidate = folder;
    candidate.append(prefix);
    candidate += std::to_string(counter);
    candidate += ".tmp";
    fd.reset(::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd && errno != EEXIST) return fail(shown_folder, "cannot make scratch space in");
  }
  if (!fd) {
    errno = EEXIST;
    return fail(shown_folder, "cannot make scratch space in");
  }
  // From here the file needs no name: the descriptor, then the mapping,
  // keep it alive, and it disappears with the process however that ends.
  ::unlink(candidate.c_str());

  if (!reserve(fd.get(), size)) return fail(shown_folder, "cannot make scratch space in");
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  if (view == MAP_FAILED) return fail(shown_folder, "cannot map scratch space in");
  data_ = static_cast<uint8_t*>(view);
  size_ = size;
  name_ = std::move(candidate);
  return true;
}

void ScratchBuffer::release() noexcept {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
  name_.clear();
}

bool ScratchBuffer::flush() noexcept {
  // The mapping shares the file's page cache, so readers of the file see the
  // bytes at once; an asynchronous flush avoids forcing a temporary file
  // that is about to be deleted out to the disk.
  return data_ == nullptr || ::msync(data_, size_, MS_ASYNC) == 0;
}

}  // namespace quorvant::engine
