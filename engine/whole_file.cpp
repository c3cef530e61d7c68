#include "engine/whole_file.h"

#include <cstring>

namespace quorvant::engine {

bool read_whole_file(File& file, const char* format, std::vector<uint8_t>& bytes, std::string& why,
                     uint64_t largest) {
  const std::optional<uint64_t> size = file.size();
  if (!size) {
    why = std::string("cannot tell the size of the ") + format + " file";
    return false;
  }
  if (*size > largest) {
    why = std::string(format) + " files larger than " + std::to_string(largest >> 30) + " GiB are not read";
    return false;
  }
  bytes.resize(*size);
  if (!file.seek(0) || !file.read_exact(bytes.data(), bytes.size())) {
    why = file.failure().empty() ? std::string("cannot read the ") + format + " file" : file.failure();
    return false;
  }
  return true;
}

std::vector<uint8_t> read_ftyp_box(File& file) {
  constexpr uint32_t kLargestFtyp = 4096;
  uint8_t head[8];
  if (!file.read_exact(head, sizeof head) || std::memcmp(head + 4, "ftyp", 4) != 0) return {};
  const uint32_t size = (uint32_t{head[0]} << 24) | (uint32_t{head[1]} << 16) | (uint32_t{head[2]} << 8) | head[3];
  // A box of size 0 or 1 (to the end, or a 64-bit size) is no ftyp a
  // picture starts with.
  if (size < 16 || size > kLargestFtyp) return {};
  std::vector<uint8_t> box(size);
  std::memcpy(box.data(), head, sizeof head);
  if (!file.read_exact(box.data() + sizeof head, size - sizeof head)) return {};
  return box;
}

}  // namespace quorvant::engine
