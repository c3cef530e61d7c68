#include "engine/jpeg/band_source.h"

#include <cstring>

#include <jerror.h>

namespace quorvant::engine::jpeg {

namespace {

constexpr uint8_t kFirstRestart = 0xD0;
constexpr uint8_t kEndOfImage[] = {0xFF, 0xD9};

BandSource& source_of(j_decompress_ptr decompress) {
  // The manager is the first member, so its address is the source's.
  return *reinterpret_cast<BandSource*>(decompress->src);
}

}  // namespace

BandSource::BandSource(PositionedReader file, std::vector<uint8_t> headers, uint64_t data_offset,
                       uint64_t markers_passed)
    : file_(std::move(file)), headers_(std::move(headers)), shift_(static_cast<uint8_t>(markers_passed & 7)) {
  file_.seek(static_cast<int64_t>(data_offset), SEEK_SET);
}

void BandSource::attach(jpeg_decompress_struct& decompress) {
  manager_.init_source = nothing;
  manager_.fill_input_buffer = fill;
  manager_.skip_input_data = skip;
  manager_.resync_to_restart = jpeg_resync_to_restart;
  manager_.term_source = nothing;
  manager_.bytes_in_buffer = 0;
  manager_.next_input_byte = nullptr;
  decompress.src = &manager_;
}

boolean BandSource::fill(j_decompress_ptr decompress) { return source_of(decompress).fill_from_file(decompress); }

boolean BandSource::fill_from_file(j_decompress_ptr decompress) {
  if (!headers_given_ && !headers_.empty()) {
    headers_given_ = true;
    anything_given_ = true;
    manager_.next_input_byte = headers_.data();
    manager_.bytes_in_buffer = headers_.size();
    return TRUE;
  }
  ssize_t got = file_.read(buffer_.data(), buffer_.size());
  if (got <= 0) {
    // As libjpeg's own file source: an empty file is an error, a file that
    // ends early a warning (damage, for a converter), and the decoder is
    // given the end marker it is missing.
    if (!anything_given_) ERREXIT(decompress, JERR_INPUT_EMPTY);
    WARNMS(decompress, JWRN_JPEG_EOF);
    std::memcpy(buffer_.data(), kEndOfImage, sizeof kEndOfImage);
    got = sizeof kEndOfImage;
  } else if (shift_ != 0) {
    renumber_restarts(buffer_.data(), static_cast<size_t>(got));
  }
  anything_given_ = true;
  manager_.next_input_byte = buffer_.data();
  manager_.bytes_in_buffer = static_cast<size_t>(got);
  return TRUE;
}

void BandSource::skip(j_decompress_ptr decompress, long count) {
  jpeg_source_mgr& manager = *decompress->src;
  if (count <= 0) return;
  while (static_cast<size_t>(count) > manager.bytes_in_buffer) {
    count -= static_cast<long>(manager.bytes_in_buffer);
    manager.fill_input_buffer(decompress);
  }
  manager.next_input_byte += count;
  manager.bytes_in_buffer -= static_cast<size_t>(count);
}

void BandSource::renumber_restarts(uint8_t* bytes, size_t count) {
  markers_.walk(bytes, count, [&](uint8_t& code, size_t) {
    if (is_restart_marker(code)) code = static_cast<uint8_t>(kFirstRestart + ((code - kFirstRestart - shift_) & 7));
    return true;
  });
}

}  // namespace quorvant::engine::jpeg
