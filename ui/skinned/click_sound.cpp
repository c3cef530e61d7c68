// The click is synthesised: a soft woody "tock" of two decaying tones over a
// low body, opened by a one-millisecond touch of filtered noise, with a quick
// attack so it starts without a pop and a fade that ends it exactly at zero.
// Its peak is about a third of full scale, so it never startles.
#include "ui/skinned/click_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/little_endian.h"

namespace quorvant::ui::skinned {

namespace {

constexpr int kChannels = 2;
constexpr int kRate = 22050;
constexpr int kBits = 16;
constexpr int kFrames = 1287;
constexpr uint32_t kDataBytes = kFrames * kChannels * kBits / 8;
constexpr double kPeak = 0.33;
constexpr int kFadeFrames = 110;  // the last 5 ms

void put_tag(std::vector<uint8_t>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

// A fixed linear congruential sequence gives the same noise on every run.
class Noise {
 public:
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 23) - 1.0;
  }

 private:
  uint32_t state_ = 0x2545F491u;
};

std::vector<double> synthesise() {
  constexpr double kTwoPi = 2 * std::numbers::pi;
  std::vector<double> wave(kFrames);
  Noise noise;
  double filtered = 0;
  for (int n = 0; n < kFrames; ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double attack = 1 - std::exp(-t / 0.0004);
    const double tone = 0.60 * std::sin(kTwoPi * 1250 * t) * std::exp(-t / 0.010) +
                        0.22 * std::sin(kTwoPi * 3150 * t) * std::exp(-t / 0.004) +
                        0.35 * std::sin(kTwoPi * 430 * t) * std::exp(-t / 0.014);
    // A one-pole low pass takes the hiss out of the noise, leaving a tap.
    filtered += 0.35 * (noise.next() - filtered);
    const double tap = 0.5 * filtered * std::exp(-t / 0.0012);
    wave[static_cast<size_t>(n)] = attack * (tone + tap);
  }
  for (int i = 0; i < kFadeFrames; ++i) {
    wave[static_cast<size_t>(kFrames - 1 - i)] *= static_cast<double>(i) / kFadeFrames;
  }
  double peak = 0;
  for (const double sample : wave) peak = std::max(peak, std::abs(sample));
  for (double& sample : wave) sample *= kPeak / peak;
  return wave;
}

std::vector<uint8_t> make_file() {
  std::vector<uint8_t> out;
  out.reserve(44 + kDataBytes);
  put_tag(out, "RIFF");
  platform::append_le32(out, 36 + kDataBytes);
  put_tag(out, "WAVE");
  put_tag(out, "fmt ");
  platform::append_le32(out, 16);
  platform::append_le16(out, 1);  // PCM
  platform::append_le16(out, kChannels);
  platform::append_le32(out, kRate);
  platform::append_le32(out, kRate * kChannels * kBits / 8);
  platform::append_le16(out, kChannels * kBits / 8);
  platform::append_le16(out, kBits);
  put_tag(out, "data");
  platform::append_le32(out, kDataBytes);
  for (const double sample : synthesise()) {
    const auto value = static_cast<int16_t>(std::lround(sample * 32767));
    for (int channel = 0; channel < kChannels; ++channel) platform::append_le16(out, static_cast<uint16_t>(value));
  }
  return out;
}

}  // namespace

const std::vector<uint8_t>& click_sound() {
  static const std::vector<uint8_t> file = make_file();
  return file;
}

}  // namespace quorvant::ui::skinned
