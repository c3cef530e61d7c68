#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/loader.h"
#include "engine/photocd/photocd_reader.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

constexpr size_t kBaseOffset = 0x30000;
constexpr int kWidth = 768;
constexpr int kHeight = 512;

// An image pack: the signature at 0x800 and a base-resolution picture at
// 0x30000 with chosen luma and chroma, padded to just over 1 MiB.
std::vector<uint8_t> make_image_pack(bool signature) {
  std::vector<uint8_t> pack(0x100000 + 1, 0);
  if (signature) std::memcpy(&pack[0x800], "PCD_IPI", 7);
  for (int pair = 0; pair < kHeight / 2; ++pair) {
    uint8_t* block = &pack[kBaseOffset + static_cast<size_t>(pair) * 3 * kWidth];
    for (int x = 0; x < kWidth; ++x) {
      block[x] = static_cast<uint8_t>((x + pair) % 256);               // upper row luma
      block[kWidth + x] = static_cast<uint8_t>((2 * x + pair) % 256);  // lower row luma
    }
    for (int k = 0; k < kWidth / 2; ++k) {
      block[2 * kWidth + k] = static_cast<uint8_t>((k * 3 + pair) % 256);        // C1
      block[2 * kWidth + kWidth / 2 + k] = static_cast<uint8_t>((k * 5) % 256);  // C2
    }
  }
  return pack;
}

uint8_t expected_sample(double value) {
  return static_cast<uint8_t>(std::fmin(255.0, std::fmax(0.0, std::floor(value + 0.5))));
}

TEST(PhotoCd, BaseResolutionDecodesByThePhotoYccFormulas) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  const std::vector<uint8_t> pack = make_image_pack(true);
  const std::string path = files.file("image.pcd");
  testing::write_bytes(path, pack);
  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  ASSERT_EQ(picture.width(), kWidth);
  ASSERT_EQ(picture.height(), kHeight);
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* block = &pack[kBaseOffset + static_cast<size_t>(y / 2) * 3 * kWidth];
    for (int x = 0; x < kWidth; ++x) {
      const double luma = 1.407488 * block[(y % 2) * kWidth + x];
      const int c1 = block[2 * kWidth + x / 2] - 156;
      const int c2 = block[2 * kWidth + kWidth / 2 + x / 2] - 137;
      const uint8_t* p = picture.row(y) + 3 * x;
      ASSERT_EQ(p[0], expected_sample(luma + 1.3230336 * c2 + 0.0000256 * c1)) << x << "," << y;
      ASSERT_EQ(p[1], expected_sample(luma - (0.67392 * c2 + 0.3954176 * c1))) << x << "," << y;
      ASSERT_EQ(p[2], expected_sample(luma + 0.0000256 * c2 + 2.0360448 * c1)) << x << "," << y;
    }
  }
  picture.clear();
  EXPECT_TRUE(scratch.files().empty());
}

TEST(PhotoCd, NeutralChromaGivesGreysAndClampsAtWhite) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  std::vector<uint8_t> pack = make_image_pack(true);
  uint8_t* block = &pack[kBaseOffset];
  block[0] = 0;
  block[1] = 181;
  std::memset(block + 2 * kWidth, 156, 1);
  std::memset(block + 2 * kWidth + kWidth / 2, 137, 1);
  const std::string path = files.file("neutral.pcd");
  testing::write_bytes(path, pack);
  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  EXPECT_EQ(std::vector<uint8_t>(picture.pixels(), picture.pixels() + 6),
            (std::vector<uint8_t>{0, 0, 0, 255, 255, 255}));
}

TEST(PhotoCd, FilesWithoutTheSignatureOrTooSmallAreRefused) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  ImageBuffer picture;
  const std::string unsigned_pack = files.file("unsigned.pcd");
  testing::write_bytes(unsigned_pack, make_image_pack(false));
  EXPECT_EQ(load_picture(unsigned_pack, picture), kUnreadable) << "a long file is not a picture by its length";

  std::vector<uint8_t> small = make_image_pack(true);
  small.resize(0xFFFFF);
  const std::string small_pack = files.file("small.pcd");
  testing::write_bytes(small_pack, small);
  EXPECT_EQ(load_picture(small_pack, picture), kUnreadable);
}

TEST(PhotoCd, LowerResolutionsComeFromTheirOwnOffsets) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  std::vector<uint8_t> pack = make_image_pack(true);
  pack[0x2000] = 100;  // first luma of 192 x 128
  std::memset(&pack[0x2000 + 2 * 192], 156, 96);
  std::memset(&pack[0x2000 + 2 * 192 + 96], 137, 96);
  const std::string path = files.file("small-res.pcd");
  testing::write_bytes(path, pack);
  ImageBuffer picture;
  photocd::PhotoCdReader reader(0);
  ASSERT_TRUE(reader.open(engine::SourceFile::open(path), picture, nullptr) && reader.read());
  EXPECT_EQ(picture.width(), 192);
  EXPECT_EQ(picture.height(), 128);
  EXPECT_EQ(picture.pixels()[0], 141);  // 1.407488 x 100 + 0.5, rounded down
  photocd::PhotoCdReader bad(3);
  EXPECT_FALSE(bad.open(engine::SourceFile::open(path), picture, nullptr));
}

}  // namespace
}  // namespace quorvant::engine
