#include "engine/file.h"

#include <sys/stat.h>

namespace quorvant::engine {

namespace {
// Larger than stdio's default so that row-by-row codecs make few system calls.
constexpr size_t kBufferSize = 1 << 16;
}  // namespace

File::File(FILE* f) {
  handle_.reset(f);
  if (f != nullptr) {
    buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::setvbuf(f, buffer_.get(), _IOFBF, kBufferSize);
  }
}

File File::open_read(const std::string& path) { return File(std::fopen(path.c_str(), "rbe")); }

File File::open_write(const std::string& path) { return File(std::fopen(path.c_str(), "wbe")); }

bool File::read_exact(void* bytes, size_t count) {
  return handle_ && std::fread(bytes, 1, count, handle_.get()) == count;
}

bool File::write_all(const void* bytes, size_t count) {
  return handle_ && std::fwrite(bytes, 1, count, handle_.get()) == count;
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
  const bool ok = std::fclose(handle_.release()) == 0;
  buffer_.reset();
  return ok;
}

}  // namespace quorvant::engine
