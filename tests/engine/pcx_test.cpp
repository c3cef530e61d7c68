#include <gtest/gtest.h>

#include <random>

#include "engine/convert.h"
#include "engine/loader.h"
#include "engine/pcx/pcx_run_length.h"
#include "engine/pcx/pcx_writer.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes encoded(const Bytes& line) {
  Bytes out(pcx::max_encoded_size(line.size()));
  out.resize(pcx::encode_line(line, out.data()));
  return out;
}

TEST(PcxRunLength, EncodesRunsLiteralsAndFlagLikeBytes) {
  EXPECT_EQ(encoded(Bytes(100, 0x20)), (Bytes{0xFF, 0x20, 0xE5, 0x20})) << "runs stop at 63";
  EXPECT_EQ(encoded({0xC5}), (Bytes{0xC1, 0xC5}));
  EXPECT_EQ(encoded({0x41}), (Bytes{0x41}));
  EXPECT_EQ(encoded({0x41, 0x41}), (Bytes{0xC2, 0x41}));
  EXPECT_EQ(encoded({1, 2, 2, 0xC0}), (Bytes{1, 0xC2, 2, 0xC1, 0xC0}));
  const Bytes worst = {0xC0, 0xC1, 0xC2, 0xC3};
  EXPECT_EQ(encoded(worst).size(), pcx::max_encoded_size(worst.size()));
}

// The encoder takes shortcuts over stretches without repeats; whatever the
// stretch, it must write what the plain greedy code writes: the longest run
// (at most 63) at each place, a flag-like single byte as a run of one.
Bytes greedy(const Bytes& line) {
  Bytes out;
  for (size_t p = 0; p < line.size();) {
    size_t run = 1;
    while (run < 63 && p + run < line.size() && line[p + run] == line[p]) ++run;
    if (run > 1 || line[p] >= 0xC0) out.push_back(static_cast<uint8_t>(0xC0 + run));
    out.push_back(line[p]);
    p += run;
  }
  return out;
}

TEST(PcxRunLength, WritesWhatTheGreedyCodeWritesForEveryKindOfLine) {
  std::mt19937 random(11);
  // Values from a few (many runs) to all 256 (few runs), bright and dark.
  for (const int kinds : {2, 3, 16, 64, 256}) {
    for (const int base : {0, 0x80, 0xB8, 0xC0}) {
      for (const size_t length : {size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{17}, size_t{300}, size_t{9001}}) {
        Bytes line(length);
        for (uint8_t& b : line) b = static_cast<uint8_t>(base + random() % static_cast<unsigned>(kinds));
        const Bytes out = encoded(line);
        ASSERT_EQ(out, greedy(line)) << kinds << " values from " << base << ", " << length << " bytes";
        Bytes back(length);
        size_t position = 0;
        ASSERT_TRUE(pcx::decode_line(out, position, back));
        EXPECT_EQ(back, line);
        EXPECT_EQ(position, out.size());
      }
    }
  }
}

TEST(PcxRunLength, DecodingCutsRunsAtTheLineAndFailsWhenDataEnds) {
  // The empty run produces nothing; a run of 10 with 4 bytes left fills
  // them, and the next line starts after the run's value byte.
  const Bytes data = {0xC0, 0x17, 7, 0xCA, 9, 5, 6, 0xC3};
  size_t position = 0;
  Bytes first(5);
  ASSERT_TRUE(pcx::decode_line(data, position, first));
  EXPECT_EQ(first, (Bytes{7, 9, 9, 9, 9}));
  Bytes second(2);
  ASSERT_TRUE(pcx::decode_line(data, position, second));
  EXPECT_EQ(second, (Bytes{5, 6}));
  Bytes third(1);
  EXPECT_FALSE(pcx::decode_line(data, position, third)) << "a run flag without its value byte";

  for (size_t n : {0u, 1u, 37u, 63u, 64u, 200u}) {
    Bytes line(n);
    for (size_t i = 0; i < n; ++i) line[i] = static_cast<uint8_t>(i < n / 2 ? 0xC7 : i * 13);
    const Bytes code = encoded(line);
    size_t at = 0;
    Bytes back(n);
    ASSERT_TRUE(pcx::decode_line(code, at, back));
    EXPECT_EQ(back, line);
    EXPECT_EQ(at, code.size());
  }
}

class PcxTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;
  std::string stored(const std::string& name, const Bytes& bytes) {
    testing::write_bytes(files_.file(name), bytes);
    return files_.file(name);
  }
};

TEST_F(PcxTest, WriterHeaderIsExact) {
  ImageBuffer picture = testing::make_rgb_picture(5, 3, testing::gradient);
  const std::string path = files_.file("out.pcx");
  pcx::PcxWriter writer;
  ASSERT_TRUE(writer.open(path, picture, {}, nullptr) && writer.write());
  const Bytes b = testing::read_bytes(path);
  Bytes expected(128, 0);
  expected[0] = 10, expected[1] = 5, expected[2] = 1, expected[3] = 8;
  expected[8] = 4, expected[10] = 2;                                             // xmax, ymax
  expected[12] = 0x2C, expected[13] = 1, expected[14] = 0x2C, expected[15] = 1;  // 300 dpi
  expected[65] = 3, expected[66] = 6;  // planes, bytes per line (5 rounded up)
  expected[70] = 0x20, expected[71] = 3, expected[72] = 0x58, expected[73] = 2;  // 800 x 600
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 128), expected);
  EXPECT_EQ(testing::read_pcx_with_netpbm(path).samples, Bytes(picture.pixels(), picture.pixels() + 45));
}

TEST_F(PcxTest, WriterWithAnEmptyPictureLeavesAnEmptyFile) {
  ImageBuffer empty;
  pcx::PcxWriter writer;
  EXPECT_FALSE(writer.open(files_.file("empty.pcx"), empty, {}, nullptr));
  EXPECT_TRUE(testing::read_bytes(files_.file("empty.pcx")).empty());
}

TEST_F(PcxTest, ReadsPaletteFilesFromOtherSoftwareAndIgnoresTheMarker) {
  testing::write_bytes(files_.file("small.ppm"),
                       {'P', '6', '\n', '3', ' ', '2', '\n', '2', '5', '5', '\n', 255, 0,   0, 0,
                        255, 0,   0,    0,   255, 10,  10,   10,  255, 0,   0,    200, 200, 0});
  const std::string path = files_.file("small.pcx");
  testing::run_tool("ppmtopcx -8bit " + testing::shell_quote(files_.file("small.ppm")) + " > " +
                    testing::shell_quote(path) + " 2>/dev/null");
  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  ASSERT_EQ(picture.bits(), 8u);
  ASSERT_EQ(picture.palette_count(), 256);
  ImageBuffer rgb;
  ASSERT_TRUE(picture.convert(rgb, 24, 0));
  EXPECT_EQ(Bytes(rgb.pixels(), rgb.pixels() + 18), testing::read_pcx_with_netpbm(path).samples);

  Bytes bytes = testing::read_bytes(path);
  bytes[bytes.size() - 769] = 0x00;  // the palette marker
  ImageBuffer unmarked;
  EXPECT_EQ(load_picture(stored("unmarked.pcx", bytes), unmarked), kLoaded);
}

TEST_F(PcxTest, RoundTripKeepsEveryPixel) {
  ImageBuffer picture = testing::make_rgb_picture(67, 5, [](int x, int y) {
    return x < 40 ? Rgb{0xC8, 0xC8, static_cast<uint8_t>(y)} : testing::gradient(x, y);
  });
  const std::string path = files_.file("round.pcx");
  pcx::PcxWriter writer;
  ASSERT_TRUE(writer.open(path, picture, {}, nullptr) && writer.write());
  ImageBuffer back;
  ASSERT_EQ(load_picture(path, back), kLoaded);
  EXPECT_EQ(Bytes(back.pixels(), back.pixels() + back.pixel_bytes()),
            Bytes(picture.pixels(), picture.pixels() + picture.pixel_bytes()));
}

TEST_F(PcxTest, ReaderRefusesWhatItCannotHold) {
  ImageBuffer picture = testing::make_rgb_picture(4, 4, testing::gradient);
  const std::string path = files_.file("good.pcx");
  pcx::PcxWriter writer;
  ASSERT_TRUE(writer.open(path, picture, {}, nullptr) && writer.write());
  const Bytes good = testing::read_bytes(path);
  auto code_with = [&](size_t at, Bytes patch) {
    Bytes b = good;
    std::copy(patch.begin(), patch.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    ImageBuffer out;
    return load_picture(stored("patched.pcx", b), out);
  };
  EXPECT_EQ(code_with(8, {0, 0}), kUnreadable) << "one pixel wide";
  EXPECT_EQ(code_with(10, {0, 0}), kUnreadable) << "one pixel high";
  EXPECT_EQ(code_with(65, {1}), kUnreadable) << "true colour in one plane";
  EXPECT_EQ(code_with(66, {2, 0}), kUnreadable) << "planes shorter than a row";
  EXPECT_EQ(code_with(8, {0xFF, 0xFF, 0xFF, 0xFF}), kUnreadable) << "far more lines than the data holds";
  EXPECT_EQ(code_with(128, {0xFF, 0x10, 0xFF, 0x10}), kLoaded) << "runs longer than a line are cut";
}

}  // namespace
}  // namespace quorvant::engine
