#include "engine/file.h"

#include <sys/stat.h>

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

File File::open_read(const std::string& path) {
  errno = 0;
  File file(std::fopen(path.c_str(), "rbe"), path);
  if (!file) file.note("cannot open");
  return file;
}

File File::adopt(UniqueFd fd, std::string name) {
  errno = 0;
  FILE* handle = fd ? ::fdopen(fd.get(), "wb") : nullptr;
  if (handle != nullptr) fd.release();
  File file(handle, std::move(name));
  if (!file) file.note("cannot write");
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
  return handle_ && offset <= INT64_MAX && fseeko(handle_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::optional<uint64_t> File::size() const {
  struct stat info {};
  if (!handle_ || ::fstat(fileno(handle_.get()), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool File::close() {
  if (!handle_) return true;
  errno = 0;
  const bool ok = std::fclose(handle_.release()) == 0;
  buffer_.reset();
  return ok || note("cannot write");
}

}  // namespace quorvant::engine
