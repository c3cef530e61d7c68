// Cut-short and corrupted files: every one gives a result code, never a
// crash, a hang or a stray temporary file.
#include <gtest/gtest.h>
#include <zlib.h>

#include "engine/convert.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

class DamagedFileTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;

  int convert_bytes(const std::vector<uint8_t>& bytes) {
    const std::string in = files_.file("damaged");
    const std::string out = files_.file("out.bmp");
    testing::write_bytes(in, bytes);
    const int code = convert_picture(TargetFormat::kBmp, in, out).code;
    std::remove(out.c_str());
    EXPECT_TRUE(scratch_.files().empty());
    return code;
  }

  // Every cut is unreadable, except the last `whole_after` lengths, which
  // still hold the whole picture (a JPEG missing only its end marker).
  void expect_every_cut_unreadable(const std::vector<uint8_t>& whole, size_t whole_after = 0) {
    ASSERT_EQ(convert_bytes(whole), kWritten);
    for (size_t length = 0; length < whole.size(); ++length) {
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      const ResultCode expected = length + whole_after >= whole.size() ? kWritten : kUnreadable;
      ASSERT_EQ(convert_bytes(cut), expected) << "cut to " << length << " of " << whole.size() << " bytes";
    }
  }

  // Overwrites single bytes all over the file; each result must be a clean
  // success or a clean refusal.
  void expect_corruption_handled(const std::vector<uint8_t>& whole, size_t step) {
    for (size_t at = 0; at < whole.size(); at += step) {
      for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, static_cast<uint8_t>(whole[at] ^ 0x55)}) {
        std::vector<uint8_t> damaged = whole;
        damaged[at] = value;
        const int code = convert_bytes(damaged);
        ASSERT_TRUE(code == kWritten || code == kUnreadable) << "byte " << at << " = " << int{value} << ": " << code;
      }
    }
  }
};

TEST_F(DamagedFileTest, BitmapCutAtAnyLength) {
  testing::BmpSpec spec;
  spec.width = 7;
  spec.height = 5;
  expect_every_cut_unreadable(testing::make_bmp(spec, testing::gradient));
}

// Cut anywhere inside its data a JPEG is unreadable; without only its
// two-byte end marker, every row is there and it converts, as djpeg reads it.
TEST_F(DamagedFileTest, JpegCutAtAnyLength) {
  expect_every_cut_unreadable(testing::read_bytes(testing::corpus("jpeg/testorig.jpg")), 2);
}

// A progressive JPEG cut between two scans is a whole picture of less
// detail to the decoder; it is unreadable all the same.
TEST_F(DamagedFileTest, ProgressiveJpegCutAtAnyLength) {
  std::vector<uint8_t> samples(32 * 24 * 3);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>((i * 37) % 256);
  expect_every_cut_unreadable(testing::make_jpeg(32, 24, 3, samples, 80, true), 2);
}

// Arithmetic-coded data may legally end early (its encoder leaves out the
// zero bytes at its end), so a cut is noticed from where the decoder meets
// the file's end: anywhere before the last block row (the last 10 % of
// this picture's data), or at an end marker followed by rows that are not
// the flat colour the decoder makes of no data.
TEST_F(DamagedFileTest, ArithmeticJpegCutShort) {
  const std::vector<uint8_t> whole = testing::read_bytes(testing::corpus("jpeg/testimgari.jpg"));
  ASSERT_EQ(convert_bytes(whole), kWritten);
  const size_t last_row_data = whole.size() * 9 / 10;
  for (size_t length = 0; length < last_row_data; length += 7) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    ASSERT_EQ(convert_bytes(cut), kUnreadable) << "cut to " << length;
  }
  for (size_t length : {whole.size() / 3, whole.size() / 2, whole.size() * 2 / 3}) {
    std::vector<uint8_t> ended(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    ended.insert(ended.end(), {0xFF, 0xD9});
    EXPECT_EQ(convert_bytes(ended), kUnreadable) << "cut to " << length << " and ended with a marker";
  }
  const std::vector<uint8_t> without_end_marker(whole.begin(), whole.end() - 2);
  EXPECT_EQ(convert_bytes(without_end_marker), kWritten);
}

TEST_F(DamagedFileTest, CorruptedBitmaps) {
  testing::BmpSpec spec;
  spec.width = 5;
  spec.height = 3;
  expect_corruption_handled(testing::make_bmp(spec, testing::gradient), 1);
}

TEST_F(DamagedFileTest, CorruptedJpegs) {
  const std::vector<uint8_t> whole = testing::read_bytes(testing::corpus("jpeg/testimgint.jpg"));
  expect_corruption_handled(whole, 7);
}

// A small picture written by the engine in `format`.
std::vector<uint8_t> engine_written(TargetFormat format, const testing::TempFolder& folder) {
  const std::string source = folder.file("source.bmp");
  testing::BmpSpec spec;
  spec.width = 9;
  spec.height = 6;
  testing::write_bytes(source, testing::make_bmp(spec, testing::gradient));
  const std::string out = folder.file("written");
  EXPECT_EQ(convert_picture(format, source, out).code, kWritten);
  return testing::read_bytes(out);
}

// Cut inside its picture data a PNG is unreadable; the last 16 bytes (the
// data chunk's checksum and the end chunk) hold no row, and without them
// the picture is still whole.
TEST_F(DamagedFileTest, PngCutAtAnyLength) {
  expect_every_cut_unreadable(testing::read_bytes(testing::corpus("pngsuite/basn2c08.png")), 16);
  expect_every_cut_unreadable(testing::read_bytes(testing::corpus("pngsuite/interlaced/ibasn3p04.png")), 16);
}

TEST_F(DamagedFileTest, TiffCutAtAnyLength) { expect_every_cut_unreadable(engine_written(TargetFormat::kTif, files_)); }

TEST_F(DamagedFileTest, PcxCutAtAnyLength) { expect_every_cut_unreadable(engine_written(TargetFormat::kPcx, files_)); }

TEST_F(DamagedFileTest, CorruptedPngTiffAndPcx) {
  expect_corruption_handled(testing::read_bytes(testing::corpus("pngsuite/basn3p08.png")), 5);
  expect_corruption_handled(testing::read_bytes(testing::corpus("tiff/palette-1c-4b.tiff")), 29);
  expect_corruption_handled(engine_written(TargetFormat::kTif, files_), 3);
  expect_corruption_handled(engine_written(TargetFormat::kPcx, files_), 1);
}

TEST_F(DamagedFileTest, HostileSizesAreDeclinedWithoutAllocating) {
  // A JPEG header announcing 65500 x 65500 colour pixels, with no data.
  std::vector<uint8_t> jpeg = testing::read_bytes(testing::corpus("jpeg/testorig.jpg"));
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = 0xFF, jpeg[i + 6] = 0xDC, jpeg[i + 7] = 0xFF, jpeg[i + 8] = 0xDC;
      break;
    }
  }
  EXPECT_EQ(convert_bytes(jpeg), kUnreadable);

  testing::BmpSpec spec;
  std::vector<uint8_t> bmp = testing::make_bmp(spec, testing::gradient);
  bmp[18] = 0x00, bmp[19] = 0x00, bmp[20] = 0x00, bmp[21] = 0x40;  // width 2^30
  EXPECT_EQ(convert_bytes(bmp), kUnreadable);
  bmp[18] = 0x00, bmp[19] = 0x80, bmp[20] = 0x00, bmp[21] = 0x00;  // 32768 x 3: fits, but the file is short
  EXPECT_EQ(convert_bytes(bmp), kUnreadable);

  // A PNG header announcing 60000 x 60000 colour pixels, with a valid CRC.
  std::vector<uint8_t> png = testing::read_bytes(testing::corpus("pngsuite/basn2c08.png"));
  const uint8_t huge[] = {0, 0, 0xEA, 0x60, 0, 0, 0xEA, 0x60};
  std::copy(std::begin(huge), std::end(huge), png.begin() + 16);
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  EXPECT_EQ(convert_bytes(png), kUnreadable);
}

}  // namespace
}  // namespace quorvant::engine
