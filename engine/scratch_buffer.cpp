#include "engine/scratch_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace quorvant::engine {

namespace {

// The highest counter value probed for a free temporary name.
constexpr long kLastCounter = 2047483647;

bool is_directory(const std::string& path) {
  struct stat info {};
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
  int error = ::posix_fallocate(fd, 0, length);
  if (error == EOPNOTSUPP || error == EINVAL) {
    return ::ftruncate(fd, length) == 0;
  }
  return error == 0;
}

bool reserve(int fd, size_t size) { return size <= kLargestZeroFilled ? write_zeros(fd, size) : allocate(fd, size); }

}  // namespace

std::string temporary_folder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
}

ScratchBuffer::ScratchBuffer(ScratchBuffer&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      path_(std::move(other.path_)) {
  other.path_.clear();
}

ScratchBuffer& ScratchBuffer::operator=(ScratchBuffer&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

bool ScratchBuffer::create(size_t size, std::string_view prefix) {
  release();
  if (size == 0) return false;

  std::string folder = temporary_folder();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (!is_directory(folder)) return false;
  if (folder.back() != '/') folder.push_back('/');

  // Names are probed in counter order and created exclusively: a name that
  // another process took between two probes is simply skipped, and a file
  // somebody else made (or a planted symbolic link) is never opened or
  // deleted.
  std::string candidate;
  for (long counter = 0; counter <= kLastCounter; ++counter) {
    candidate = folder;
    candidate.append(prefix);
    candidate += std::to_string(counter);
    candidate += ".tmp";
    fd_ = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ >= 0) break;
    if (errno != EEXIST) return false;
  }
  if (fd_ < 0) return false;
  path_ = std::move(candidate);

  if (!reserve(fd_, size)) {
    release();
    return false;
  }
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (view == MAP_FAILED) {
    release();
    return false;
  }
  data_ = static_cast<uint8_t*>(view);
  size_ = size;
  return true;
}

void ScratchBuffer::release() noexcept {
  if (data_ != nullptr) ::munmap(data_, size_);
  if (fd_ >= 0) ::close(fd_);
  if (!path_.empty()) ::unlink(path_.c_str());
  fd_ = -1;
  data_ = nullptr;
  size_ = 0;
  path_.clear();
}

bool ScratchBuffer::flush() noexcept {
  // The mapping shares the file's page cache, so readers of the file see the
  // bytes at once; an asynchronous flush avoids forcing a temporary file
  // that is about to be deleted out to the disk.
  return data_ == nullptr || ::msync(data_, size_, MS_ASYNC) == 0;
}

}  // namespace quorvant::engine
