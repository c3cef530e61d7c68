// Reading the format and samples of a PCM WAV file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quorvant::platform {

struct WavFormat {
  int channels = 0;         // 1 or 2
  int sample_rate = 0;      // frames per second
  int bits_per_sample = 0;  // 8 (unsigned) or 16 (signed, little-endian)
  // Whole frames of interleaved samples, inside the bytes that were parsed.
  std::span<const uint8_t> data;

  size_t frame_bytes() const { return static_cast<size_t>(channels) * static_cast<size_t>(bits_per_sample) / 8; }
  size_t frames() const { return data.size() / frame_bytes(); }
};

// The format of a RIFF/WAVE file with uncompressed 8- or 16-bit mono or
// stereo samples (format tag 1, or the extensible tag with the PCM
// sub-format). Chunks may come in any order and unknown ones are skipped. A
// data chunk that claims more bytes than the file holds is cut to what is
// there, as files from interrupted recordings need. Anything else gives
// nothing.
std::optional<WavFormat> parse_wav(std::span<const uint8_t> file);

}  // namespace quorvant::platform
