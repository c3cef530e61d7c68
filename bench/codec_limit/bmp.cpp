// 24-bit BMP with the 40-byte header, rows bottom-up, padded to 4 bytes, as
// the engine writes and reads it.
#include <cstring>
#include <vector>

#include "bench/codec_limit/picture.h"

namespace codec_limit {

namespace {

constexpr size_t kHeaderSize = 54;

void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}
uint32_t get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }

size_t padded_row(uint32_t width) { return (size_t{width} * 3 + 3) & ~size_t{3}; }

// Red-blue swap between the picture's RGB and the file's BGR.
void swap_copy(const uint8_t* from, uint8_t* to, uint32_t pixels) {
  for (uint32_t x = 0; x < pixels; ++x, from += 3, to += 3) {
    to[0] = from[2];
    to[1] = from[1];
    to[2] = from[0];
  }
}

}  // namespace

bool write_bmp(const char* path, const Picture& picture) {
  StdioFile file(path, "wb");
  if (file.get() == nullptr) return false;
  const size_t stride = padded_row(picture.width);
  uint8_t header[kHeaderSize] = {'B', 'M'};
  put32(header + 2, static_cast<uint32_t>(kHeaderSize + stride * picture.height));
  put32(header + 10, kHeaderSize);
  put32(header + 14, 40);
  put32(header + 18, picture.width);
  put32(header + 22, picture.height);
  put16(header + 26, 1);
  put16(header + 28, 24);
  if (std::fwrite(header, 1, sizeof header, file.get()) != sizeof header) return false;
  std::vector<uint8_t> stored(stride, 0);
  for (uint32_t i = 0; i < picture.height; ++i) {
    swap_copy(picture.row(picture.height - 1 - i), stored.data(), picture.width);
    if (std::fwrite(stored.data(), 1, stride, file.get()) != stride) return false;
  }
  return file.close();
}

bool read_bmp(const char* path, Picture& picture) {
  StdioFile file(path, "rb");
  uint8_t header[kHeaderSize];
  if (file.get() == nullptr || std::fread(header, 1, sizeof header, file.get()) != sizeof header || header[0] != 'B' ||
      header[1] != 'M' || get32(header + 14) != 40 || header[28] != 24 || get32(header + 30) != 0) {
    return false;
  }
  const uint32_t width = get32(header + 18);
  const auto height = static_cast<int32_t>(get32(header + 22));
  if (width == 0 || height <= 0 || std::fseek(file.get(), get32(header + 10), SEEK_SET) != 0) return false;
  picture.allocate(width, static_cast<uint32_t>(height));
  std::vector<uint8_t> stored(padded_row(width));
  for (uint32_t i = 0; i < picture.height; ++i) {
    if (std::fread(stored.data(), 1, stored.size(), file.get()) != stored.size()) return false;
    swap_copy(stored.data(), picture.row(picture.height - 1 - i), width);
  }
  return true;
}

}  // namespace codec_limit
