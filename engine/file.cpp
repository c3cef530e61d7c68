#include "engine/file.h"

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvant::engine {

namespace {
// Larger than stdio's default so that row-by-row codecs make few system calls.
constexpr size_t kBufferSize = 1 << 16;
}  // namespace

File::File(FILE* f, std::string name) : name_(std::move(name)) {
  handle_.reset(f);
  if (f != nullptr) {
    buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::setvbuf(f, buffer_.get(), _IOFBF, kBufferSize);
  }
}

bool File::note(const char* doing) {
  if (failure_.empty()) {
    const int error = errno;
    failure_ = std::string(doing) + " " + name_ + ": " + (error != 0 ? std::strerror(error) : "unknown error");
  }
  return false;
}

namespace {

// The calls of a stream made by read_at_own_position, whose cookie is a
// PositionedReader.
ssize_t read_positioned(void* cookie, char* bytes, size_t count) {
  return static_cast<PositionedReader*>(cookie)->read(bytes, count);
}

int seek_positioned(void* cookie, off64_t* offset, int whence) {
  auto* reader = static_cast<PositionedReader*>(cookie);
  if (!reader->seek(*offset, whence)) return -1;
  *offset = static_cast<off64_t>(reader->position());
  return 0;
}

int close_positioned(void* cookie) {
  const std::unique_ptr<PositionedReader> reader(static_cast<PositionedReader*>(cookie));
  return 0;
}

}  // namespace

ssize_t PositionedReader::read(void* bytes, size_t count) {
  for (;;) {
    const ssize_t got = ::pread(fd_.get(), bytes, count, static_cast<off_t>(position_));
    if (got < 0 && errno == EINTR) continue;
    if (got > 0) position_ += static_cast<uint64_t>(got);
    return got;
  }
}

bool PositionedReader::seek(int64_t offset, int whence) {
  int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = static_cast<int64_t>(position_);
  } else if (whence == SEEK_END) {
    const std::optional<uint64_t> end = size();
    if (!end) return false;
    base = static_cast<int64_t>(*end);
  }
  if ((offset < 0 && offset < -base) || (offset > 0 && base > INT64_MAX - offset)) {
    errno = EINVAL;
    return false;
  }
  position_ = static_cast<uint64_t>(base + offset);
  return true;
}

std::optional<uint64_t> PositionedReader::size() const {
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

File File::read_at_own_position(UniqueFd fd, std::string name) {
  errno = 0;
  const int descriptor = fd.get();
  FILE* handle = nullptr;
  if (fd) {
    auto reader = std::make_unique<PositionedReader>(std::move(fd));
    const cookie_io_functions_t functions{read_positioned, nullptr, seek_positioned, close_positioned};
    handle = ::fopencookie(reader.get(), "rb", functions);
    // The stream owns the reader from here; close_positioned frees it.
    if (handle != nullptr) static_cast<void>(reader.release());
  }
  File file(handle, std::move(name));
  if (file) {
    file.descriptor_ = descriptor;
  } else {
    file.note("cannot open");
  }
  return file;
}

File File::adopt(UniqueFd fd, std::string name) {
  errno = 0;
  FILE* handle = fd ? ::fdopen(fd.get(), "wb") : nullptr;
  if (handle != nullptr) fd.release();
  File file(handle, std::move(name));
  if (!file) file.note("cannot write");
  file.writing_ = true;
  return file;
}

bool File::read_exact(void* bytes, size_t count) {
  if (!handle_) return false;
  if (std::fread(bytes, 1, count, handle_.get()) == count) return true;
  if (failure_.empty() && std::ferror(handle_.get()) == 0) failure_ = name_ + " ends too early";
  return note("cannot read");
}

bool File::write_all(const void* bytes, size_t count) {
  errno = 0;
  return (handle_ && std::fwrite(bytes, 1, count, handle_.get()) == count) || note("cannot write");
}

bool File::seek(uint64_t offset) {
  if (!handle_ || offset > INT64_MAX) return false;
  // Moving writes out what stdio buffers: a failure there is the write's.
  errno = 0;
  if (writing_ && std::fflush(handle_.get()) != 0) return note("cannot write");
  return fseeko(handle_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::optional<uint64_t> File::size() const {
  struct stat info {};
  if (!handle_) return std::nullopt;
  const int fd = descriptor_ >= 0 ? descriptor_ : fileno(handle_.get());
  if (fd < 0 || ::fstat(fd, &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool File::close() {
  if (!handle_) return true;
  errno = 0;
  const bool ok = std::fclose(handle_.release()) == 0;
  buffer_.reset();
  descriptor_ = -1;
  return ok || note("cannot write");
}

}  // namespace quorvant::engine
