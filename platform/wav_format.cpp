#include "platform/wav_format.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"

namespace quorvant::platform {

namespace {

constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kPcmFormatSize = 16;
constexpr size_t kExtensibleFormatSize = 40;
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 768000;

bool has_tag(std::span<const uint8_t> bytes, size_t at, const char (&tag)[5]) {
  return std::memcmp(bytes.data() + at, tag, 4) == 0;
}

// Fills channels, rate and bits from a fmt chunk's body; false when the
// samples are not plain 8- or 16-bit PCM of one or two channels.
bool read_format(std::span<const uint8_t> body, WavFormat& format) {
  if (body.size() < kPcmFormatSize) return false;
  uint16_t tag = read_le16(body, 0);
  if (tag == kTagExtensible) {
    // The sub-format GUID starts with the real format tag.
    if (body.size() < kExtensibleFormatSize) return false;
    tag = read_le16(body, 24);
  }
  if (tag != kTagPcm) return false;
  const uint16_t channels = read_le16(body, 2);
  const uint32_t rate = read_le32(body, 4);
  const uint16_t block_align = read_le16(body, 12);
  const uint16_t bits = read_le16(body, 14);
  if (channels != 1 && channels != 2) return false;
  if (bits != 8 && bits != 16) return false;
  if (rate < kMinRate || rate > kMaxRate) return false;
  if (block_align != channels * bits / 8) return false;
  format.channels = channels;
  format.sample_rate = static_cast<int>(rate);
  format.bits_per_sample = bits;
  return true;
}

}  // namespace

std::optional<WavFormat> parse_wav(std::span<const uint8_t> file) {
  if (file.size() < kRiffHeaderSize || !has_tag(file, 0, "RIFF") || !has_tag(file, 8, "WAVE")) return std::nullopt;

  WavFormat format;
  bool have_format = false;
  std::optional<std::span<const uint8_t>> data;
  size_t at = kRiffHeaderSize;
  while (file.size() - at >= kChunkHeaderSize) {
    const size_t size = read_le32(file, at + 4);
    const size_t body = at + kChunkHeaderSize;
    const size_t available = std::min(size, file.size() - body);
    if (has_tag(file, at, "fmt ") && !have_format) {
      if (!read_format(file.subspan(body, available), format)) return std::nullopt;
      have_format = true;
    } else if (has_tag(file, at, "data") && !data) {
      data = file.subspan(body, available);
    }
    if (available < size) break;
    // Chunk bodies of odd size are followed by a pad byte.
    const size_t padded = size + (size & 1);
    if (padded > file.size() - body) break;
    at = body + padded;
  }
  if (!have_format || !data) return std::nullopt;
  format.data = data->first(data->size() / format.frame_bytes() * format.frame_bytes());
  return format;
}

}  // namespace quorvant::platform
