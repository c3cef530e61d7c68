#include "engine/jpeg/restart_markers.h"

#include <cstring>

namespace quorvant::engine::jpeg {

namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kBaselineFrame = 0xC0;
constexpr uint8_t kExtendedFrame = 0xC1;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kTemporary = 0x01;
// Headers longer than this (ICC profiles, thumbnails and all) are not
// copied for every band.
constexpr size_t kMostHeaderBytes = size_t{4} << 20;

bool read_at(PositionedReader& file, uint64_t offset, uint8_t* bytes, size_t count) {
  if (!file.seek(static_cast<int64_t>(offset), SEEK_SET)) return false;
  while (count > 0) {
    const ssize_t got = file.read(bytes, count);
    if (got <= 0) return false;
    bytes += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

std::vector<uint8_t> ScanHeaders::with_height(int32_t rows) const {
  std::vector<uint8_t> headers = bytes;
  headers[height_at] = static_cast<uint8_t>(rows >> 8);
  headers[height_at + 1] = static_cast<uint8_t>(rows);
  return headers;
}

std::optional<ScanHeaders> read_scan_headers(PositionedReader& file) {
  uint8_t start[2];
  if (!read_at(file, 0, start, 2) || start[0] != kMarker || start[1] != kStartOfImage) return std::nullopt;
  uint64_t at = 2;
  std::optional<size_t> height_at;
  for (;;) {
    // A marker (fill bytes may come first), then its segment's length.
    uint8_t code = 0;
    if (!read_at(file, at++, &code, 1) || code != kMarker) return std::nullopt;
    while (code == kMarker) {
      if (!read_at(file, at++, &code, 1)) return std::nullopt;
    }
    uint8_t length_bytes[2];
    if (!read_at(file, at, length_bytes, 2)) return std::nullopt;
    const uint64_t segment_end = at + (uint64_t{length_bytes[0]} << 8 | length_bytes[1]);
    if (segment_end > kMostHeaderBytes) return std::nullopt;
    if (code == kBaselineFrame || code == kExtendedFrame) height_at = at + 3;  // after the length and precision
    // Markers without a segment have no place before the scan.
    if (is_restart_marker(code) || code == kTemporary || code == 0) return std::nullopt;
    at = segment_end;
    if (code == kStartOfScan) break;
  }
  if (!height_at || *height_at + 2 > at) return std::nullopt;
  ScanHeaders headers;
  headers.bytes.resize(at);
  headers.height_at = *height_at;
  if (!read_at(file, 0, headers.bytes.data(), headers.bytes.size())) return std::nullopt;
  return headers;
}

std::optional<std::vector<uint64_t>> find_restart_markers(PositionedReader& file, uint64_t data_start,
                                                          const std::vector<uint64_t>& wanted) {
  std::vector<uint64_t> offsets;
  if (wanted.empty()) return offsets;
  if (!file.seek(static_cast<int64_t>(data_start), SEEK_SET)) return std::nullopt;
  std::vector<uint8_t> buffer(size_t{256} << 10);
  uint64_t buffer_at = data_start;
  uint64_t markers = 0;
  MarkerCodes codes;
  for (;;) {
    const ssize_t got = file.read(buffer.data(), buffer.size());
    if (got <= 0) return std::nullopt;
    const auto count = static_cast<size_t>(got);
    // Restart markers count 0 to 7 over and over; any other marker ends
    // the scan.
    const bool in_turn = codes.walk(buffer.data(), count, [&](uint8_t code, size_t after) {
      if (!is_restart_marker(code) || code - 0xD0 != static_cast<int>(markers % 8)) return false;
      ++markers;
      while (offsets.size() < wanted.size() && wanted[offsets.size()] == markers) offsets.push_back(buffer_at + after);
      return offsets.size() < wanted.size();
    });
    if (offsets.size() == wanted.size()) return offsets;
    if (!in_turn) return std::nullopt;
    buffer_at += count;
  }
}

}  // namespace quorvant::engine::jpeg
