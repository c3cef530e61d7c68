#include <gtest/gtest.h>

#include <cstring>

#include "engine/bmp/bmp_reader.h"
#include "engine/bmp/bmp_writer.h"
#include "engine/convert.h"
#include "engine/loader.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::BmpSpec;
using testing::make_bmp;
using testing::read_bytes;
using testing::ScratchFolder;
using testing::TempFolder;
using testing::write_bytes;

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

bool write_bmp(const ImageBuffer& picture, const std::string& path) {
  bmp::BmpWriter writer;
  return writer.open(path, picture, {}, nullptr) && writer.write();
}

class BmpTest : public ::testing::Test {
 protected:
  ScratchFolder scratch_;
  TempFolder files_;

  // Reads `bytes` as a bitmap through the reader alone.
  bool read(const std::vector<uint8_t>& bytes, ImageBuffer& picture) {
    const std::string path = files_.file("in.bmp");
    write_bytes(path, bytes);
    bmp::BmpReader reader;
    return reader.open(engine::SourceFile::open(path), picture, nullptr) && reader.read();
  }
  bool accepted(const std::vector<uint8_t>& bytes) {
    const std::string path = files_.file("probe.bmp");
    write_bytes(path, bytes);
    ImageBuffer picture;
    bmp::BmpReader reader;
    return reader.open(engine::SourceFile::open(path), picture, nullptr);
  }
};

TEST_F(BmpTest, OnePixelFileIs58BytesWithPaddingAndZeroedFields) {
  ImageBuffer picture = testing::make_rgb_picture(1, 1, [](int, int) { return Rgb{1, 2, 3}; });
  const std::string path = files_.file("one.bmp");
  ASSERT_TRUE(write_bmp(picture, path));
  const std::vector<uint8_t> b = read_bytes(path);
  ASSERT_EQ(b.size(), 58u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(le32(b, 2), 58u) << "file size field";
  EXPECT_EQ(le32(b, 10), 54u) << "pixel data offset";
  EXPECT_EQ(le32(b, 14), 40u);
  EXPECT_EQ(le32(b, 18), 1u);
  EXPECT_EQ(le32(b, 22), 1u) << "positive height: bottom-up";
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 24);
  for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(le32(b, at), 0u) << "field at " << at;
  EXPECT_EQ(b[54], 3) << "blue first";
  EXPECT_EQ(b[55], 2);
  EXPECT_EQ(b[56], 1);
}

TEST_F(BmpTest, RowsArePaddedToFourBytesAndStoredBottomUp) {
  for (int width : {4, 5, 6, 7}) {
    ImageBuffer picture = testing::make_rgb_picture(width, 3, testing::gradient);
    const std::string path = files_.file("rows.bmp");
    ASSERT_TRUE(write_bmp(picture, path));
    const std::vector<uint8_t> b = read_bytes(path);
    const size_t row = (3 * static_cast<size_t>(width) + 3) & ~size_t{3};
    ASSERT_EQ(b.size(), 54 + 3 * row) << "width " << width;
    EXPECT_EQ(le32(b, 2), b.size());
    // The first stored row is the bottom row of the picture.
    const Rgb bottom_left = testing::gradient(0, 2);
    EXPECT_EQ(b[54], bottom_left.blue);
    EXPECT_EQ(b[56], bottom_left.red);
    // An independent reader sees the same picture.
    const testing::Pnm decoded = testing::decode_with_netpbm_bmp(path);
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.channels, 3);
    EXPECT_EQ(0, std::memcmp(decoded.samples.data(), picture.pixels(), picture.pixel_bytes()));
  }
}

TEST_F(BmpTest, WriterRefusesWhatItCannotDescribeAndSaysWhy) {
  bmp::BmpWriter writer;
  ImageBuffer rgb = testing::make_rgb_picture(2, 2, testing::gradient);
  WriteSettings eight;
  eight.bits = 8;
  EXPECT_FALSE(writer.open(files_.file("eight.bmp"), rgb, eight, nullptr));
  EXPECT_FALSE(testing::file_exists(files_.file("eight.bmp")));
  EXPECT_FALSE(writer.open(files_.path() + "/no/such/folder/x.bmp", rgb, {}, nullptr));
  EXPECT_EQ(writer.failure(), "cannot create " + files_.path() + "/no/such/folder/x.bmp: No such file or directory");
  ImageBuffer empty;
  EXPECT_FALSE(writer.open(files_.file("empty.bmp"), empty, {}, nullptr));
  EXPECT_FALSE(testing::file_exists(files_.file("empty.bmp"))) << "no empty file is left for an empty picture";
}

TEST_F(BmpTest, WriterTakesAGreyPictureThroughItsColours) {
  ImageBuffer grey;
  ASSERT_TRUE(grey.create(2, 1, 8, 0));
  grey.pixels()[0] = 10;
  grey.pixels()[1] = 200;
  bmp::BmpWriter writer;
  ASSERT_TRUE(writer.open(files_.file("grey.bmp"), grey, {}, nullptr));
  ASSERT_TRUE(writer.write());
  const testing::Pnm decoded = testing::decode_with_netpbm_bmp(files_.file("grey.bmp"));
  EXPECT_EQ(decoded.samples, (std::vector<uint8_t>{10, 10, 10, 200, 200, 200}));
}

TEST_F(BmpTest, ReadsBothRowOrdersAndBothSignatures) {
  BmpSpec spec;
  spec.width = 5;  // padded rows
  spec.height = 4;
  ImageBuffer bottom_up, top_down, ba;
  ASSERT_TRUE(read(make_bmp(spec, testing::gradient), bottom_up));
  spec.top_down = true;
  ASSERT_TRUE(read(make_bmp(spec, testing::gradient), top_down));
  spec.top_down = false;
  spec.second_letter = 'A';
  ASSERT_TRUE(read(make_bmp(spec, testing::gradient), ba));
  for (const ImageBuffer* p : {&bottom_up, &top_down, &ba}) {
    ASSERT_EQ(p->width(), 5);
    ASSERT_EQ(p->height(), 4);
    ASSERT_EQ(p->bits(), 24u);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) ASSERT_EQ(testing::pixel_at(*p, x, y), testing::gradient(x, y)) << x << "," << y;
    }
  }
}

TEST_F(BmpTest, ReadsTheShortHeaderAndLongerHeaders) {
  BmpSpec spec;
  spec.short_header = true;
  spec.width = 3;
  spec.height = 2;
  ImageBuffer picture;
  ASSERT_TRUE(read(make_bmp(spec, testing::gradient), picture));
  EXPECT_EQ(testing::pixel_at(picture, 2, 1), testing::gradient(2, 1));

  BmpSpec v5;  // a longer header: the reader uses its first 40 bytes
  v5.extra_info_bytes = 84;
  ASSERT_TRUE(read(make_bmp(v5, testing::gradient), picture));
  EXPECT_EQ(testing::pixel_at(picture, 3, 2), testing::gradient(3, 2));
}

TEST_F(BmpTest, BitFieldCompressionOf24BitsReadsLikeNone) {
  BmpSpec spec;
  spec.compression = 3;
  ImageBuffer picture;
  ASSERT_TRUE(read(make_bmp(spec, testing::gradient), picture));
  EXPECT_EQ(testing::pixel_at(picture, 1, 1), testing::gradient(1, 1));
}

TEST_F(BmpTest, DeclinesOtherDepthsAndCompressions) {
  for (uint16_t bits : {1, 4, 8, 16, 32}) {
    BmpSpec spec;
    spec.bits = bits;
    EXPECT_FALSE(accepted(make_bmp(spec, testing::gradient))) << bits << " bits";
  }
  // Run-length compression fixes the depth at 8 or 4 whatever the field says.
  for (uint32_t compression : {1u, 2u, 4u, 5u}) {
    BmpSpec spec;
    spec.compression = compression;
    EXPECT_FALSE(accepted(make_bmp(spec, testing::gradient))) << "compression " << compression;
  }
}

TEST_F(BmpTest, DeclinesInconsistentHeaders) {
  const std::vector<uint8_t> good = make_bmp({}, testing::gradient);
  ASSERT_TRUE(accepted(good));

  auto with = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> b = good;
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    return b;
  };
  EXPECT_FALSE(accepted(with(0, {'B', 'B'}))) << "signature";
  EXPECT_FALSE(accepted(with(18, {0, 0, 0, 0}))) << "width 0";
  EXPECT_FALSE(accepted(with(18, {0xFF, 0xFF, 0xFF, 0xFF}))) << "negative width";
  EXPECT_FALSE(accepted(with(22, {0, 0, 0, 0}))) << "height 0";
  EXPECT_FALSE(accepted(with(22, {0, 0, 0, 0x80}))) << "height INT32_MIN";
  EXPECT_FALSE(accepted(with(10, {30, 0, 0, 0}))) << "information block shorter than its 40-byte header";
  EXPECT_FALSE(accepted(with(10, {0, 0, 0, 0}))) << "pixel offset inside the file header";
  EXPECT_FALSE(accepted(with(10, {0xFF, 0xFF, 0xFF, 0x7F}))) << "pixel offset past the end of the file";
  // 65536 x 65536 pixels of 3 bytes is beyond the 32-bit limit.
  EXPECT_FALSE(accepted(with(18, {0, 0, 1, 0, 0, 0, 1, 0}))) << "picture too large";
}

}  // namespace
}  // namespace quorvant::engine

namespace quorvant::engine {
namespace {

TEST(BmpCorpus, ReadsBitmapsWrittenByOtherSoftware) {
  testing::ScratchFolder scratch;
  // 119 pixels wide: every row carries padding.
  for (const char* name : {"jpeg/vgl_6434_0018a.bmp", "jpeg/vgl_6548_0026a.bmp", "jpeg/shira_bird8.bmp"}) {
    const std::string path = testing::corpus(name);
    ImageBuffer picture;
    ASSERT_EQ(load_picture(path, picture), kLoaded) << name;
    const testing::Pnm reference = testing::decode_with_netpbm_bmp(path);
    ASSERT_EQ(picture.width(), reference.width) << name;
    ASSERT_EQ(picture.height(), reference.height) << name;
    EXPECT_EQ(0, std::memcmp(picture.pixels(), reference.samples.data(), picture.pixel_bytes())) << name;
  }
}

TEST(BmpCorpus, RewritingABitmapKeepsItsBytes) {
  testing::ScratchFolder scratch;
  testing::TempFolder out;
  // This file was written with the same layout and zeroed optional fields,
  // except its image size field, which the writer leaves 0.
  const std::string source = testing::corpus("jpeg/vgl_6434_0018a.bmp");
  const std::string copy = out.file("copy.bmp");
  ASSERT_EQ(convert_picture(TargetFormat::kBmp, source, copy).code, kWritten);
  std::vector<uint8_t> expected = testing::read_bytes(source);
  std::vector<uint8_t> written = testing::read_bytes(copy);
  ASSERT_EQ(written.size(), expected.size());
  std::fill(expected.begin() + 34, expected.begin() + 38, 0);
  // Pad bytes are free; compare pixel bytes row by row.
  const size_t row = (3 * 119 + 3) & ~size_t{3};
  for (size_t at = 54; at + row <= expected.size(); at += row) {
    std::fill(expected.begin() + static_cast<std::ptrdiff_t>(at + 357),
              expected.begin() + static_cast<std::ptrdiff_t>(at + row), 0);
  }
  EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace quorvant::engine
