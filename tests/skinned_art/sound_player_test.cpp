// The sound player: one sound at a time, never a wait for the caller,
// nothing said when there is nothing to play on.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/sound_player.h"
#include "ui/skinned/click_sound.h"

namespace quorvant::testing {
namespace {

using platform::AlsaSoundPlayer;
using platform::PcmOutput;
using platform::WavFormat;

// Generous: only reached when the player is broken and would hang the test.
constexpr std::chrono::milliseconds kHangGuard(20000);

std::vector<uint8_t> tone(int rate) {
  std::vector<uint8_t> file = ui::skinned::click_sound();
  file[24] = static_cast<uint8_t>(rate);
  file[25] = static_cast<uint8_t>(rate >> 8);
  file[26] = static_cast<uint8_t>(rate >> 16);
  return file;
}

// An output that holds each sound until the test lets it end, or the player
// stops it. Shared with the test, which keeps looking after the player owns it.
struct Gate {
  std::mutex mutex;
  std::condition_variable_any changed;
  std::vector<int> started_rates;
  int finished = 0;
  int stopped = 0;
  int opened = 0;  // how many sounds may end

  template <typename Predicate>
  bool wait_until(Predicate predicate, std::chrono::milliseconds longest = kHangGuard) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, longest, predicate);
  }
  void open_one() {
    std::lock_guard lock(mutex);
    ++opened;
    changed.notify_all();
  }
};

class GatedOutput final : public PcmOutput {
 public:
  explicit GatedOutput(Gate& gate) : gate_(gate) {}
  void play(const WavFormat& sound, std::stop_token stop) override {
    std::unique_lock lock(gate_.mutex);
    gate_.started_rates.push_back(sound.sample_rate);
    gate_.changed.notify_all();
    const int mine = static_cast<int>(gate_.started_rates.size());
    if (gate_.changed.wait(lock, stop, [&] { return gate_.opened >= mine; })) {
      ++gate_.finished;
    } else {
      ++gate_.stopped;
    }
    gate_.changed.notify_all();
  }

 private:
  Gate& gate_;
};

TEST(SoundPlayer, DropsASoundAskedForWhileAnotherPlays) {
  Gate gate;
  AlsaSoundPlayer player(std::make_unique<GatedOutput>(gate));
  player.play(tone(11025));
  ASSERT_TRUE(gate.wait_until([&] { return gate.started_rates.size() == 1; }));
  player.play(tone(22050));  // returns at once, and is dropped
  gate.open_one();
  ASSERT_TRUE(gate.wait_until([&] { return gate.finished == 1; }));
  // The worker marks itself idle just after the output returns; a sound
  // asked for in between is dropped too, so ask until one is taken.
  bool taken = false;
  for (int attempt = 0; attempt < 1000 && !taken; ++attempt) {
    player.play(tone(44100));
    taken = gate.wait_until([&] { return gate.started_rates.size() == 2; }, std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(taken);
  gate.open_one();
  ASSERT_TRUE(gate.wait_until([&] { return gate.finished == 2; }));
  std::lock_guard lock(gate.mutex);
  EXPECT_EQ(gate.started_rates, (std::vector<int>{11025, 44100}));
}

TEST(SoundPlayer, IgnoresFilesThatAreNotPcmWav) {
  Gate gate;
  AlsaSoundPlayer player(std::make_unique<GatedOutput>(gate));
  player.play({'R', 'I', 'F', 'F', 0, 0});
  player.play({});
  player.play(tone(8000));  // not held up by the bad ones
  ASSERT_TRUE(gate.wait_until([&] { return !gate.started_rates.empty(); }));
  gate.open_one();
  ASSERT_TRUE(gate.wait_until([&] { return gate.finished == 1; }));
  std::lock_guard lock(gate.mutex);
  EXPECT_EQ(gate.started_rates, std::vector<int>{8000});
}

TEST(SoundPlayer, ClosingStopsTheSoundThatPlays) {
  Gate gate;
  {
    AlsaSoundPlayer player(std::make_unique<GatedOutput>(gate));
    player.play(tone(22050));
    ASSERT_TRUE(gate.wait_until([&] { return gate.started_rates.size() == 1; }));
  }  // the gate never opens: only the stop request ends the sound
  EXPECT_EQ(gate.stopped, 1);
  EXPECT_EQ(gate.finished, 0);
}

// This machine has no sound card: the sound is skipped without a word on
// the terminal (ALSA would print several lines), and nothing waits for it.
TEST(SoundPlayer, AlsaOutputWithoutADeviceReturnsSilently) {
  const std::optional<WavFormat> click = platform::parse_wav(ui::skinned::click_sound());
  ASSERT_TRUE(click);
  ::testing::internal::CaptureStderr();
  platform::make_alsa_output()->play(*click, std::stop_token());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(SoundPlayer, WithoutADeviceSaysNothingAndClosesCleanly) {
  ::testing::internal::CaptureStderr();
  {
    AlsaSoundPlayer player;
    for (int i = 0; i < 3; ++i) player.play(ui::skinned::click_sound());
    player.play({1, 2, 3});
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace quorvant::testing
