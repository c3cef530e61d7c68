// Playing short sounds from PCM WAV bytes without holding up the caller,
// standing in for the system's asynchronous sound playback.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/wav_format.h"

namespace quorvant::platform {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts playing and returns at once. A file the player cannot play is
  // skipped without a word.
  virtual void play(std::vector<uint8_t> wav_file) = 0;
};

// Where a player's samples go: the sound card in the program, a stand-in in
// tests. Called on the player's worker thread.
class PcmOutput {
 public:
  virtual ~PcmOutput() = default;
  // Returns when the sound has been played, or soon after `stop` is
  // requested; at once when there is no device to play it on.
  virtual void play(const WavFormat& sound, std::stop_token stop) = 0;
};

// The default ALSA device. Problems (no device, a rate the device refuses)
// are silent: ALSA's own error messages are switched off for the process,
// since a missing sound must never show up as text on the terminal.
std::unique_ptr<PcmOutput> make_alsa_output();

// Plays one sound at a time on a worker thread. A sound asked for while
// another is playing is dropped, never queued: a late click is worse than
// none.
class AlsaSoundPlayer final : public SoundPlayer {
 public:
  AlsaSoundPlayer();
  // Sends the samples to `output` instead of the ALSA device.
  explicit AlsaSoundPlayer(std::unique_ptr<PcmOutput> output);
  // Stops the sound playing, if any, and waits for the worker.
  ~AlsaSoundPlayer() override;
  AlsaSoundPlayer(const AlsaSoundPlayer&) = delete;
  AlsaSoundPlayer& operator=(const AlsaSoundPlayer&) = delete;

  void play(std::vector<uint8_t> wav_file) override;

 private:
  void run(std::stop_token stop);

  std::unique_ptr<PcmOutput> output_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::optional<std::vector<uint8_t>> pending_;  // handed to the worker, not yet taken
  bool busy_ = false;                            // from hand-over until the sound has ended
  // Declared last: it starts after the members it uses and stops before them.
  std::jthread worker_;
};

// Remembers what it was asked to play; for tests.
class RecordingSoundPlayer final : public SoundPlayer {
 public:
  void play(std::vector<uint8_t> wav_file) override { played_.push_back(std::move(wav_file)); }
  const std::vector<std::vector<uint8_t>>& played() const { return played_; }

 private:
  std::vector<std::vector<uint8_t>> played_;
};

}  // namespace quorvant::platform
