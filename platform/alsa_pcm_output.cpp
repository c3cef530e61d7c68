// Sending PCM samples to ALSA's default device.
#include <algorithm>
#include <memory>
#include <mutex>

#include <alsa/asoundlib.h>

#include "platform/sound_player.h"

namespace quorvant::platform {

namespace {

// Small writes keep a stop request from waiting behind a long sound.
constexpr snd_pcm_uframes_t kChunkFrames = 1024;
constexpr unsigned kLatencyMicroseconds = 100000;

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// ALSA reports through one handler for the whole process; it is set once.
void silence_alsa_errors() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(&ignore_alsa_error); });
}

struct PcmCloser {
  void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

PcmHandle open_device(const WavFormat& sound) {
  snd_pcm_t* raw = nullptr;
  if (snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return nullptr;
  PcmHandle pcm(raw);
  // WAV stores 8-bit samples unsigned and 16-bit ones signed.
  const snd_pcm_format_t format = sound.bits_per_sample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  if (snd_pcm_set_params(pcm.get(), format, SND_PCM_ACCESS_RW_INTERLEAVED, static_cast<unsigned>(sound.channels),
                         static_cast<unsigned>(sound.sample_rate), 1, kLatencyMicroseconds) < 0) {
    return nullptr;
  }
  return pcm;
}

class AlsaPcmOutput final : public PcmOutput {
 public:
  AlsaPcmOutput() { silence_alsa_errors(); }

  void play(const WavFormat& sound, std::stop_token stop) override {
    const PcmHandle pcm = open_device(sound);
    if (!pcm) return;
    const uint8_t* at = sound.data.data();
    snd_pcm_uframes_t left = sound.frames();
    while (left > 0 && !stop.stop_requested()) {
      snd_pcm_sframes_t written = snd_pcm_writei(pcm.get(), at, std::min(left, kChunkFrames));
      if (written < 0) {
        // An underrun or a suspended device can be recovered; anything else
        // ends the sound.
        if (snd_pcm_recover(pcm.get(), static_cast<int>(written), 1) < 0) return;
        continue;
      }
      at += static_cast<size_t>(written) * sound.frame_bytes();
      left -= static_cast<snd_pcm_uframes_t>(written);
    }
    if (stop.stop_requested()) {
      snd_pcm_drop(pcm.get());
    } else {
      snd_pcm_drain(pcm.get());
    }
  }
};

}  // namespace

std::unique_ptr<PcmOutput> make_alsa_output() { return std::make_unique<AlsaPcmOutput>(); }

}  // namespace quorvant::platform
