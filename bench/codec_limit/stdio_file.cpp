#include "bench/codec_limit/picture.h"

namespace codec_limit {

namespace {
// The engine's file buffer size, so that both make the same system calls.
constexpr size_t kBufferSize = 1 << 18;
}  // namespace

StdioFile::StdioFile(const char* path, const char* mode) : file_(std::fopen(path, mode)) {
  if (file_ != nullptr) {
    buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
  }
}

StdioFile::~StdioFile() { close(); }

bool StdioFile::close() {
  if (file_ == nullptr) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

}  // namespace codec_limit
