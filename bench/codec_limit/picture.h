// The codec limit's picture: 24-bit red, green, blue, top row first, rows
// packed without padding -- the engine's in-memory layout, held on the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace codec_limit {

struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::unique_ptr<uint8_t[]> pixels;

  size_t stride() const { return size_t{width} * 3; }
  uint8_t* row(uint32_t y) { return pixels.get() + stride() * y; }
  const uint8_t* row(uint32_t y) const { return pixels.get() + stride() * y; }
  // Leaves the bytes uninitialised: every reader writes every one of them.
  void allocate(uint32_t w, uint32_t h) {
    width = w;
    height = h;
    pixels = std::make_unique_for_overwrite<uint8_t[]>(stride() * h);
  }
};

// A stdio file with a buffer as large as the engine's, closed on scope exit.
class StdioFile {
 public:
  StdioFile(const char* path, const char* mode);
  ~StdioFile();
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;

  FILE* get() const { return file_; }
  // Closes now; false when buffered bytes could not be written.
  bool close();

 private:
  std::unique_ptr<char[]> buffer_;
  FILE* file_ = nullptr;
};

// Each returns false on any failure.
bool read_jpeg(const char* path, Picture& picture);
bool read_png(const char* path, Picture& picture);
bool read_tiff(const char* path, Picture& picture);
bool read_bmp(const char* path, Picture& picture);
bool write_bmp(const char* path, const Picture& picture);
bool write_png(const char* path, const Picture& picture);
bool write_jpeg(const char* path, const Picture& picture);

}  // namespace codec_limit
