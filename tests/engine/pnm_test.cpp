#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/pnm/pnm_writer.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

class PnmTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;

  std::string write(const ImageBuffer& picture, PnmKind kind, bool raw) {
    WriteSettings settings;
    settings.pnm_kind = kind;
    settings.raw = raw;
    const std::string path = files_.file("out.pnm");
    pnm::PnmWriter writer;
    EXPECT_TRUE(writer.open(path, picture, settings, nullptr));
    EXPECT_TRUE(writer.write());
    const std::vector<uint8_t> bytes = testing::read_bytes(path);
    return {bytes.begin(), bytes.end()};
  }
  static ImageBuffer grey(int width, int height, uint8_t (*value)(int i)) {
    ImageBuffer picture;
    EXPECT_TRUE(picture.create(width, height, 8, 0));
    for (int i = 0; i < width * height; ++i) picture.pixels()[i] = value(i);
    return picture;
  }
};

constexpr const char* kComment = "\n#Created by Imvolta 1.0\n";

TEST_F(PnmTest, RawColourIsTheHeaderAndTheRgbBytes) {
  ImageBuffer one = testing::make_rgb_picture(1, 1, [](int, int) { return Rgb{1, 2, 250}; });
  EXPECT_EQ(write(one, PnmKind::kColour, true), std::string("P6") + kComment + "1 1 255\n\x01\x02\xfa");
}

TEST_F(PnmTest, PlainGreyBreaksTheLineAfterEvery32ndValueOfThePicture) {
  const std::string one_row = write(grey(33, 1, [](int i) { return static_cast<uint8_t>(i); }), PnmKind::kGrey, false);
  std::string expected = std::string("P2") + kComment + "33 1 255\n";
  for (int i = 0; i < 33; ++i) expected += std::to_string(i) + (i == 31 ? "\n" : " ");
  EXPECT_EQ(one_row, expected) << "the 33rd value ends the file with a blank";

  const std::string four_rows = write(grey(8, 4, [](int) { return uint8_t{7}; }), PnmKind::kGrey, false);
  const std::string data = four_rows.substr(four_rows.find("255\n") + 4);
  EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 1) << "rows do not start lines";
  EXPECT_EQ(data.back(), '\n');
}

TEST_F(PnmTest, PlainColourBreaksAfterTheBlueOfEveryFifthPixel) {
  ImageBuffer picture = testing::make_rgb_picture(3, 2, [](int x, int y) {
    const auto v = static_cast<uint8_t>(10 * (3 * y + x));
    return Rgb{v, static_cast<uint8_t>(v + 1), static_cast<uint8_t>(v + 2)};
  });
  EXPECT_EQ(write(picture, PnmKind::kColour, false),
            std::string("P3") + kComment + "3 2 255\n0 1 2 10 11 12 20 21 22 30 31 32 40 41 42\n50 51 52 ");
}

TEST_F(PnmTest, BilevelIsAlwaysPlainWithDarkUpTo128) {
  ImageBuffer picture = grey(4, 1, [](int i) {
    constexpr uint8_t kLevels[] = {0, 128, 129, 255};
    return kLevels[i];
  });
  EXPECT_EQ(write(picture, PnmKind::kBilevel, true), std::string("P1") + kComment + "4 1\n1 1 0 0 ");
}

TEST_F(PnmTest, PaletteIndicesNeverReachTheFile) {
  for (int32_t count : {1, 2}) {
    ImageBuffer indexed;
    ASSERT_TRUE(indexed.create(2, 1, 8, count));
    indexed.palette()[0] = {0, 0, 255, 0, 0};  // blue: grey 29
    for (bool raw : {true, false}) {
      const std::string file = write(indexed, PnmKind::kGrey, raw);
      const std::string data = file.substr(file.find("255\n") + 4);
      EXPECT_EQ(data, raw ? std::string("\x1d\x1d") : std::string("29 29 ")) << count << (raw ? " raw" : " plain");
    }
  }
}

TEST_F(PnmTest, ColourPicturesBecomeGreyByTheWeightedRule) {
  ImageBuffer picture = testing::make_rgb_picture(1, 1, [](int, int) { return Rgb{255, 0, 0}; });
  const std::string file = write(picture, PnmKind::kGrey, true);
  EXPECT_EQ(static_cast<uint8_t>(file.back()), 76);
}

TEST_F(PnmTest, OnlyKindsZeroToTwoAreWrittenAndOnlyRawOneIsRaw) {
  ImageBuffer picture = testing::make_rgb_picture(1, 1, testing::gradient);
  const std::string path = files_.file("kind3.pnm");
  WriteSettings bad;
  bad.pnm_kind = static_cast<PnmKind>(3);
  pnm::PnmWriter writer;
  EXPECT_FALSE(writer.open(path, picture, bad, nullptr));
  EXPECT_FALSE(testing::file_exists(path)) << "no file for an unknown kind";
  EXPECT_EQ(write(picture, PnmKind::kColour, false).substr(0, 2), "P3");
  EXPECT_EQ(write(picture, PnmKind::kGrey, true).substr(0, 2), "P5");
}

}  // namespace
}  // namespace quorvant::engine
