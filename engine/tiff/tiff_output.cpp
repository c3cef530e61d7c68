#include "engine/tiff/tiff_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quorvant::engine::tiff {

namespace {

constexpr size_t kBufferSize = 1 << 20;

BufferedOutput& self_of(thandle_t handle) { return *static_cast<BufferedOutput*>(handle); }

}  // namespace

TIFF* BufferedOutput::open(UniqueFd file, const std::string& name, const char* mode) {
  close();
  fd_ = std::move(file);
  if (!fd_) return nullptr;
  buffer_ = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
  TIFF* tiff =
      TIFFClientOpen(name.c_str(), mode, this, read, write, seek, close_nothing, size, map_nothing, unmap_nothing);
  if (tiff == nullptr) close();
  return tiff;
}

bool BufferedOutput::write_at(uint64_t offset, const uint8_t* data, size_t count) {
  while (count > 0) {
    const ssize_t written = ::pwrite(fd_.get(), data, count, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) errno = ENOSPC;
    if (written <= 0) return false;
    data += written;
    count -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

void BufferedOutput::note_failure() {
  if (!failed_) error_ = errno;
  failed_ = true;
}

bool BufferedOutput::flush() {
  if (buffered_ > 0 && !write_at(buffer_start_, buffer_.get(), buffered_)) {
    note_failure();
  }
  buffered_ = 0;
  return !failed_;
}

void BufferedOutput::close() {
  if (fd_) flush();
  fd_.reset();
  error_ = 0;
  buffer_.reset();
  buffered_ = 0;
  buffer_start_ = 0;
  position_ = 0;
  size_ = 0;
  failed_ = false;
}

bool BufferedOutput::append(const uint8_t* data, size_t count) {
  // Bytes that do not continue the buffered run start a new one.
  if (buffered_ > 0 && (position_ != buffer_start_ + buffered_ || buffered_ + count > kBufferSize) && !flush()) {
    return false;
  }
  if (count >= kBufferSize) {
    if (write_at(position_, data, count)) return true;
    note_failure();
    return false;
  }
  if (buffered_ == 0) buffer_start_ = position_;
  std::memcpy(buffer_.get() + buffered_, data, count);
  buffered_ += count;
  return true;
}

tmsize_t BufferedOutput::write(thandle_t handle, void* data, tmsize_t count) {
  BufferedOutput& self = self_of(handle);
  if (count < 0 || !self.append(static_cast<const uint8_t*>(data), static_cast<size_t>(count))) return -1;
  self.position_ += static_cast<uint64_t>(count);
  self.size_ = std::max(self.size_, self.position_);
  return count;
}

tmsize_t BufferedOutput::read(thandle_t handle, void* data, tmsize_t count) {
  BufferedOutput& self = self_of(handle);
  if (count < 0 || !self.flush()) return -1;
  const ssize_t got = ::pread(self.fd_.get(), data, static_cast<size_t>(count), static_cast<off_t>(self.position_));
  if (got > 0) self.position_ += static_cast<uint64_t>(got);
  return got;
}

toff_t BufferedOutput::seek(thandle_t handle, toff_t offset, int whence) {
  BufferedOutput& self = self_of(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) {
    base = self.position_;
  } else if (whence == SEEK_END) {
    base = self.size_;
  } else if (whence != SEEK_SET) {
    return static_cast<toff_t>(-1);
  }
  // libtiff passes negative moves as large unsigned numbers; the sum wraps
  // to the same place as lseek would go.
  const uint64_t target = base + offset;
  if (target > static_cast<uint64_t>(INT64_MAX)) return static_cast<toff_t>(-1);
  self.position_ = target;
  return target;
}

toff_t BufferedOutput::size(thandle_t handle) { return self_of(handle).size_; }

int BufferedOutput::close_nothing(thandle_t) { return 0; }

int BufferedOutput::map_nothing(thandle_t, void**, toff_t*) { return 0; }

void BufferedOutput::unmap_nothing(thandle_t, void*, toff_t) {}

}  // namespace quorvant::engine::tiff
