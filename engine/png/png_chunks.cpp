#include "engine/png/png_chunks.h"

#include <zlib.h>

#include "engine/byte_order.h"

namespace quorvant::engine::png {

bool write_signature(File& file) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return file.write_all(kSignature, sizeof kSignature);
}

bool write_chunk(File& file, const char* type, std::span<const uint8_t> data) {
  uint8_t head[8];
  store_be32(head, static_cast<uint32_t>(data.size()));
  for (int i = 0; i < 4; ++i) head[4 + i] = static_cast<uint8_t>(type[i]);
  uLong crc = crc32(0, head + 4, 4);
  // zlib answers a null buffer with the initial value, so an empty chunk
  // (IEND) must not pass one.
  if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
  uint8_t tail[4];
  store_be32(tail, static_cast<uint32_t>(crc));
  return file.write_all(head, sizeof head) && (data.empty() || file.write_all(data.data(), data.size())) &&
         file.write_all(tail, sizeof tail);
}

std::vector<uint8_t> iccp_data(const std::string& name, std::span<const uint8_t> profile) {
  std::vector<uint8_t> data(name.begin(), name.end());
  data.push_back(0);  // the name's end
  data.push_back(0);  // compression method: deflate
  const size_t head = data.size();
  uLongf compressed = compressBound(static_cast<uLong>(profile.size()));
  data.resize(head + compressed);
  if (compress2(data.data() + head, &compressed, profile.data(), static_cast<uLong>(profile.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  data.resize(head + compressed);
  return data;
}

std::vector<uint8_t> itxt_data(const std::string& keyword, std::span<const uint8_t> text) {
  std::vector<uint8_t> data(keyword.begin(), keyword.end());
  // The keyword's end, no compression (flag and method), then an empty
  // language tag and an empty translated keyword, each ended by a zero.
  data.insert(data.end(), {0, 0, 0, 0, 0});
  data.insert(data.end(), text.begin(), text.end());
  return data;
}

}  // namespace quorvant::engine::png
