// The command buttons' click: a WAV file any player takes, and a sound that
// is a short soft click rather than silence, noise or a pop.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/wav_format.h"
#include "tests/skinned_art/art_readers.h"
#include "ui/skinned/click_sound.h"

namespace quorvant::testing {
namespace {

bool has_tag(const std::vector<uint8_t>& bytes, size_t at, const char* tag) {
  return std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

TEST(ClickSound, HeaderDescribesSixteenBitStereoAt22050Hertz) {
  const std::vector<uint8_t>& file = ui::skinned::click_sound();
  ASSERT_EQ(file.size(), 44u + 5148u);
  EXPECT_TRUE(has_tag(file, 0, "RIFF"));
  EXPECT_EQ(le32_at(file, 4), file.size() - 8);
  EXPECT_TRUE(has_tag(file, 8, "WAVE"));
  EXPECT_TRUE(has_tag(file, 12, "fmt "));
  EXPECT_EQ(le32_at(file, 16), 16u);
  EXPECT_EQ(le16_at(file, 20), 1u);
  EXPECT_EQ(le16_at(file, 22), 2u);
  EXPECT_EQ(le32_at(file, 24), 22050u);
  EXPECT_EQ(le32_at(file, 28), 22050u * 4);
  EXPECT_EQ(le16_at(file, 32), 4u);
  EXPECT_EQ(le16_at(file, 34), 16u);
  EXPECT_TRUE(has_tag(file, 36, "data"));
  EXPECT_EQ(le32_at(file, 40), 5148u);
}

TEST(ClickSound, IsAShortSoftClickThatStartsAndEndsQuietly) {
  const std::optional<platform::WavFormat> sound = platform::parse_wav(ui::skinned::click_sound());
  ASSERT_TRUE(sound);
  ASSERT_EQ(sound->frames(), 1287u);
  std::vector<int> left;
  for (size_t frame = 0; frame < sound->frames(); ++frame) {
    const auto sample = [&](size_t at) { return static_cast<int16_t>(sound->data[at] | sound->data[at + 1] << 8); };
    left.push_back(sample(frame * 4));
    EXPECT_EQ(sample(frame * 4), sample(frame * 4 + 2)) << "the click is centred";
  }
  int peak = 0;
  double sum = 0;
  for (const int sample : left) {
    peak = std::max(peak, std::abs(sample));
    sum += sample;
  }
  EXPECT_GT(peak, 4000) << "audible";
  EXPECT_LT(peak, 16000) << "soft, never clipped";
  EXPECT_LT(std::abs(sum / static_cast<double>(left.size())), 300) << "no offset to thump the speaker";
  EXPECT_LT(std::abs(left.front()), 1000) << "no pop at the start";
  EXPECT_EQ(left.back(), 0) << "no pop at the end";
  // Most of the energy comes in the first quarter: a click, not a tone.
  double early = 0;
  double total = 0;
  for (size_t i = 0; i < left.size(); ++i) {
    const double energy = static_cast<double>(left[i]) * left[i];
    total += energy;
    if (i < left.size() / 4) early += energy;
  }
  EXPECT_GT(early / total, 0.75);
}

}  // namespace
}  // namespace quorvant::testing
