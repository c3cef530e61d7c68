// Reading WAV files: the layouts real files use, and everything a player
// must refuse.
#include <gtest/gtest.h>

#include <string>

#include "platform/wav_format.h"

namespace quorvant::testing {
namespace {

using platform::parse_wav;

void put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}
void chunk(std::vector<uint8_t>& out, const std::string& id, const std::vector<uint8_t>& body, uint32_t size) {
  out.insert(out.end(), id.begin(), id.end());
  put32(out, size);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2) out.push_back(0);
}

struct Fmt {
  uint32_t tag = 1, channels = 2, rate = 22050, bits = 16;
  uint32_t align = 4;
};
std::vector<uint8_t> fmt_body(const Fmt& f) {
  std::vector<uint8_t> body;
  put16(body, f.tag);
  put16(body, f.channels);
  put32(body, f.rate);
  put32(body, f.rate * f.align);
  put16(body, f.align);
  put16(body, f.bits);
  return body;
}
std::vector<uint8_t> riff(const std::vector<uint8_t>& chunks) {
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
  put32(out, static_cast<uint32_t>(chunks.size() + 4));
  out.insert(out.end(), {'W', 'A', 'V', 'E'});
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}
std::vector<uint8_t> wav(const Fmt& f, const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> chunks;
  chunk(chunks, "fmt ", fmt_body(f), 16);
  chunk(chunks, "data", samples, static_cast<uint32_t>(samples.size()));
  return riff(chunks);
}

TEST(ParseWav, ReadsEightBitMonoAndSixteenBitStereo) {
  const std::vector<uint8_t> mono = wav({1, 1, 8000, 8, 1}, {128, 130, 126});
  const auto eight = parse_wav(mono);
  ASSERT_TRUE(eight);
  EXPECT_EQ(eight->channels, 1);
  EXPECT_EQ(eight->sample_rate, 8000);
  EXPECT_EQ(eight->bits_per_sample, 8);
  EXPECT_EQ(eight->frames(), 3u);
  EXPECT_EQ(eight->data.data(), mono.data() + 44) << "the samples are a view of the file";

  const std::vector<uint8_t> stereo = wav({}, std::vector<uint8_t>(400, 7));
  const auto sixteen = parse_wav(stereo);
  ASSERT_TRUE(sixteen);
  EXPECT_EQ(sixteen->channels, 2);
  EXPECT_EQ(sixteen->sample_rate, 22050);
  EXPECT_EQ(sixteen->frames(), 100u);
}

TEST(ParseWav, SkipsOtherChunksWithTheirPadBytesInAnyOrder) {
  std::vector<uint8_t> chunks;
  chunk(chunks, "LIST", {1, 2, 3}, 3);  // odd size: a pad byte follows
  chunk(chunks, "data", {1, 2, 3, 4, 5, 6, 7, 8}, 8);
  chunk(chunks, "fmt ", fmt_body({}), 16);
  const std::vector<uint8_t> file = riff(chunks);
  const auto format = parse_wav(file);
  ASSERT_TRUE(format);
  EXPECT_EQ(format->frames(), 2u);
  EXPECT_EQ(format->data[0], 1);
}

TEST(ParseWav, ReadsTheExtensibleFormatWhenItsSubformatIsPcm) {
  for (const uint32_t subformat : {1u, 3u}) {
    std::vector<uint8_t> body = fmt_body({0xFFFE, 2, 44100, 16, 4});
    put16(body, 22);
    put16(body, 16);
    put32(body, 3);  // speaker positions
    put16(body, subformat);
    body.resize(40, 0x11);
    std::vector<uint8_t> chunks;
    chunk(chunks, "fmt ", body, 40);
    chunk(chunks, "data", {0, 0, 0, 0}, 4);
    EXPECT_EQ(parse_wav(riff(chunks)).has_value(), subformat == 1) << subformat;
  }
}

TEST(ParseWav, CutsShortFilesToTheWholeFramesTheyHold) {
  const std::vector<uint8_t> file = wav({}, std::vector<uint8_t>(40, 9));
  for (size_t size = 0; size <= file.size(); ++size) {
    const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
    const auto format = parse_wav(cut);
    if (size < 44) {
      EXPECT_FALSE(format) << size;
    } else {
      ASSERT_TRUE(format) << size;
      EXPECT_EQ(format->data.size(), (size - 44) / 4 * 4) << size;
    }
  }
}

TEST(ParseWav, RefusesWhatIsNotEightOrSixteenBitPcm) {
  const std::vector<uint8_t> samples(16, 0);
  EXPECT_FALSE(parse_wav(wav({3, 2, 22050, 32, 8}, samples))) << "floating point";
  EXPECT_FALSE(parse_wav(wav({1, 2, 22050, 24, 6}, samples))) << "24 bits";
  EXPECT_FALSE(parse_wav(wav({1, 0, 22050, 16, 0}, samples))) << "no channels";
  EXPECT_FALSE(parse_wav(wav({1, 3, 22050, 16, 6}, samples))) << "three channels";
  EXPECT_FALSE(parse_wav(wav({1, 2, 0, 16, 4}, samples))) << "no rate";
  EXPECT_FALSE(parse_wav(wav({1, 2, 22050, 16, 2}, samples))) << "frame size does not match";

  std::vector<uint8_t> not_wave = wav({}, samples);
  not_wave[8] = 'A';
  EXPECT_FALSE(parse_wav(not_wave));
  std::vector<uint8_t> big_endian = wav({}, samples);
  big_endian[3] = 'X';
  EXPECT_FALSE(parse_wav(big_endian));

  std::vector<uint8_t> short_fmt;
  chunk(short_fmt, "fmt ", std::vector<uint8_t>(14, 1), 14);
  chunk(short_fmt, "data", samples, 16);
  EXPECT_FALSE(parse_wav(riff(short_fmt)));

  std::vector<uint8_t> no_data;
  chunk(no_data, "fmt ", fmt_body({}), 16);
  EXPECT_FALSE(parse_wav(riff(no_data)));

  std::vector<uint8_t> no_fmt;
  chunk(no_fmt, "data", samples, 16);
  EXPECT_FALSE(parse_wav(riff(no_fmt)));
}

}  // namespace
}  // namespace quorvant::testing
