#include <gtest/gtest.h>

#include <cstring>

#include "engine/pic/pic_writer.h"
#include "engine/sgi/sgi_writer.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using Bytes = std::vector<uint8_t>;

class SgiPicTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;

  template <class Writer>
  Bytes write(const ImageBuffer& picture) {
    const std::string path = files_.file("out");
    Writer writer;
    EXPECT_TRUE(writer.open(path, picture, {}, nullptr) && writer.write());
    return testing::read_bytes(path);
  }
};

TEST_F(SgiPicTest, SgiHeaderIsExact) {
  const Bytes b = write<sgi::SgiWriter>(testing::make_rgb_picture(300, 200, testing::gradient));
  ASSERT_EQ(b.size(), 512u + 3 * 300 * 200);
  Bytes expected(512, 0);
  const Bytes fields = {0x01, 0xDA, 0, 1, 0, 3, 0x01, 0x2C, 0x00, 0xC8, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0xFF};
  std::copy(fields.begin(), fields.end(), expected.begin());
  std::memcpy(&expected[24], "Imvolta SGI Exports", 19);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 512), expected);
}

TEST_F(SgiPicTest, SgiPlanesRunRedGreenBlueFromTheBottomRow) {
  const Bytes wide = write<sgi::SgiWriter>(testing::make_rgb_picture(2, 1, [](int x, int) {
    return x == 0 ? Rgb{10, 20, 30} : Rgb{40, 50, 60};
  }));
  EXPECT_EQ(wide.size(), 518u);
  EXPECT_EQ(Bytes(wide.begin() + 512, wide.end()), (Bytes{10, 40, 20, 50, 30, 60}));
  const Bytes tall = write<sgi::SgiWriter>(testing::make_rgb_picture(1, 2, [](int, int y) {
    return y == 0 ? Rgb{1, 2, 3} : Rgb{4, 5, 6};
  }));
  EXPECT_EQ(Bytes(tall.begin() + 512, tall.end()), (Bytes{4, 1, 5, 2, 6, 3}));
}

TEST_F(SgiPicTest, PicHeaderIsExact) {
  const Bytes b = write<pic::PicWriter>(testing::make_rgb_picture(2, 2, testing::gradient));
  ASSERT_EQ(b.size(), 120u);
  Bytes expected(108, 0);
  const Bytes magic = {0x53, 0x80, 0xF6, 0x34};
  std::copy(magic.begin(), magic.end(), expected.begin());
  std::memcpy(&expected[8], "Create byZendrik", 16);
  std::memcpy(&expected[88], "PICT", 4);
  const Bytes tail = {0, 2, 0, 2, 0x3F, 0x80, 0, 0, 0, 3, 0, 0, 0, 8, 0, 0xE0};
  std::copy(tail.begin(), tail.end(), expected.begin() + 92);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 108), expected);
  const Rgb top_left = testing::gradient(0, 0);
  EXPECT_EQ(b[108], top_left.red);
}

TEST_F(SgiPicTest, PicRatioIsASinglePrecisionFloat) {
  const Bytes b = write<pic::PicWriter>(testing::make_rgb_picture(640, 480, testing::gradient));
  EXPECT_EQ(Bytes(b.begin() + 92, b.begin() + 100), (Bytes{0x02, 0x80, 0x01, 0xE0, 0x3F, 0xAA, 0xAA, 0xAB}));
}

TEST_F(SgiPicTest, PicRefusesOtherDepthsBeforeCreatingAFile) {
  ImageBuffer picture = testing::make_rgb_picture(2, 2, testing::gradient);
  WriteSettings eight;
  eight.bits = 8;
  pic::PicWriter writer;
  EXPECT_FALSE(writer.open(files_.file("eight.pic"), picture, eight, nullptr));
  EXPECT_FALSE(testing::file_exists(files_.file("eight.pic")));
}

TEST_F(SgiPicTest, PalettePicturesGiveTheirColours) {
  ImageBuffer indexed;
  ASSERT_TRUE(indexed.create(2, 1, 8, 2));
  indexed.palette()[1] = {9, 99, 199, 0, 0};
  indexed.pixels()[0] = 1;
  const Bytes sgi = write<sgi::SgiWriter>(indexed);
  EXPECT_EQ(Bytes(sgi.begin() + 512, sgi.end()), (Bytes{9, 0, 99, 0, 199, 0}));
  const Bytes pic = write<pic::PicWriter>(indexed);
  EXPECT_EQ(Bytes(pic.begin() + 108, pic.end()), (Bytes{9, 99, 199, 0, 0, 0}));
}

TEST_F(SgiPicTest, PicturesTooLargeForTheHeaderAreRefused) {
  ImageBuffer wide;
  ASSERT_TRUE(wide.create(65536, 1, 24, 0));
  for (bool sgi_format : {true, false}) {
    const std::string path = files_.file(sgi_format ? "wide.sgi" : "wide.pic");
    bool written = false;
    if (sgi_format) {
      sgi::SgiWriter writer;
      written = writer.open(path, wide, {}, nullptr) && writer.write();
    } else {
      pic::PicWriter writer;
      written = writer.open(path, wide, {}, nullptr) && writer.write();
    }
    EXPECT_FALSE(written) << path;
  }
}

}  // namespace
}  // namespace quorvant::engine
