#include "platform/sound_player.h"

namespace quorvant::platform {

AlsaSoundPlayer::AlsaSoundPlayer() : AlsaSoundPlayer(make_alsa_output()) {}

AlsaSoundPlayer::AlsaSoundPlayer(std::unique_ptr<PcmOutput> output)
    : output_(std::move(output)), worker_([this](std::stop_token stop) { run(stop); }) {}

AlsaSoundPlayer::~AlsaSoundPlayer() {
  worker_.request_stop();
  worker_.join();
}

void AlsaSoundPlayer::play(std::vector<uint8_t> wav_file) {
  // Checked here so that a file that cannot play never blocks a good one.
  if (!parse_wav(wav_file)) return;
  std::lock_guard lock(mutex_);
  if (busy_) return;
  busy_ = true;
  pending_ = std::move(wav_file);
  wake_.notify_one();
}

void AlsaSoundPlayer::run(std::stop_token stop) {
  for (;;) {
    std::vector<uint8_t> file;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [this] { return pending_.has_value(); })) return;
      file = std::move(*pending_);
      pending_.reset();
    }
    if (const std::optional<WavFormat> sound = parse_wav(file)) output_->play(*sound, stop);
    std::lock_guard lock(mutex_);
    busy_ = false;
  }
}

}  // namespace quorvant::platform
