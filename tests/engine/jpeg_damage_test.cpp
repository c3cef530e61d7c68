// JPEG files that real encoders write in unusual ways, which must convert,
// and files that are damaged or built to make the decoder work, which must
// not.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <jpeglib.h>

#include "engine/convert.h"
#include "engine/loader.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using Bytes = std::vector<uint8_t>;

uint8_t photo_like(int x, int y, int c) {
  return static_cast<uint8_t>((x * 7 + y * 13 + c * 50 + (x * y) % 23) & 0xFF);
}

// Where the segment with `marker` starts (its 0xFF), or the size when there
// is none. Entropy-coded data is stepped over.
size_t find_marker(const Bytes& b, uint8_t marker, size_t from = 2) {
  for (size_t i = from; i + 1 < b.size(); ++i) {
    if (b[i] == 0xFF && b[i + 1] == marker) return i;
  }
  return b.size();
}

class JpegDamage : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;

  Conversion convert(const Bytes& bytes, TargetFormat format = TargetFormat::kPpm) {
    const std::string in = files_.file("in.jpg");
    testing::write_bytes(in, bytes);
    std::remove(files_.file("out").c_str());
    const Conversion done = convert_picture(format, in, files_.file("out"));
    EXPECT_TRUE(scratch_.files().empty());
    return done;
  }
  // The picture our loader makes of `bytes`, and what it answers.
  ResultCode load(const Bytes& bytes, ImageBuffer& picture) {
    const std::string in = files_.file("load.jpg");
    testing::write_bytes(in, bytes);
    return load_picture(in, picture);
  }
};

// Baseline files written by some encoders store zeros where a sequential
// scan's spectral end (63) belongs; libjpeg only warns, as djpeg does.
TEST_F(JpegDamage, ZerosInTheScanParametersOfABaselineFileAreTolerated) {
  const Bytes original = testing::read_bytes(testing::corpus("jpeg/testorig.jpg"));
  Bytes zeroed = original;
  const size_t sos = find_marker(zeroed, 0xDA);
  ASSERT_LT(sos, zeroed.size());
  const size_t length = zeroed[sos + 2] << 8 | zeroed[sos + 3];
  const size_t parameters = sos + 2 + length - 3;  // Ss, Se, Ah/Al end the segment
  ASSERT_EQ(zeroed[parameters + 1], 63);
  zeroed[parameters] = zeroed[parameters + 1] = zeroed[parameters + 2] = 0;

  ImageBuffer expected;
  ImageBuffer got;
  ASSERT_EQ(load(original, expected), kLoaded);
  ASSERT_EQ(load(zeroed, got), kLoaded);
  ASSERT_EQ(got.pixel_bytes(), expected.pixel_bytes());
  EXPECT_EQ(0, std::memcmp(got.pixels(), expected.pixels(), got.pixel_bytes()));
}

// Arithmetic coding spends almost nothing on a flat picture: libjpeg's own
// encoder writes 4096 x 4096 and 8192 x 8192 flat grey in 125 bytes.
TEST_F(JpegDamage, FlatArithmeticPicturesOfManyPixelsPerByteConvert) {
  for (int side : {4096, 8192}) {
    testing::JpegEncoding flat;
    flat.width = flat.height = side;
    flat.components = 1;
    flat.arithmetic = true;
    const Bytes bytes = testing::encode_jpeg(flat, [](int, int, int) { return uint8_t{128}; });
    ASSERT_LT(bytes.size(), 200u);
    ImageBuffer picture;
    ASSERT_EQ(load(bytes, picture), kLoaded) << side;
    ASSERT_EQ(picture.width(), side);
    for (size_t i = 0; i < picture.pixel_bytes(); i += 997) ASSERT_EQ(picture.pixels()[i], 128) << i;
  }
}

// A picture whose lower part is flat meets its data's end long before its
// last row, and is whole.
TEST_F(JpegDamage, ArithmeticPictureWithAFlatLowerPartConverts) {
  testing::JpegEncoding e;
  e.width = 256;
  e.height = 256;
  e.arithmetic = true;
  const auto sample = [](int x, int y, int c) { return y < 64 ? photo_like(x, y, c) : uint8_t{90}; };
  const Bytes bytes = testing::encode_jpeg(e, sample);
  ImageBuffer picture;
  ASSERT_EQ(load(bytes, picture), kLoaded);
  EXPECT_EQ(testing::pixel_at(picture, 100, 200), (Rgb{90, 90, 90}));
}

TEST_F(JpegDamage, ArithmeticDataEndingInTheMiddleIsDamage) {
  testing::JpegEncoding e;
  e.width = 320;
  e.height = 240;
  e.arithmetic = true;
  const Bytes whole = testing::encode_jpeg(e, photo_like);
  ASSERT_EQ(convert(whole).code, kWritten);
  // The first half, ended with an end marker: the decoder would make up
  // the lower half from nothing.
  Bytes half(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
  half.insert(half.end(), {0xFF, 0xD9});
  const Conversion done = convert(half);
  EXPECT_EQ(done.code, kUnreadable);
  EXPECT_NE(done.reason.find("damaged JPEG data"), std::string::npos) << done.reason;
  EXPECT_FALSE(testing::file_exists(files_.file("out")));
  // A marker that cannot end a scan, in the middle of the data.
  Bytes marked = whole;
  marked[whole.size() / 2] = 0xFF;
  marked[whole.size() / 2 + 1] = 0xC4;
  EXPECT_EQ(convert(marked).code, kUnreadable);
}

TEST_F(JpegDamage, FileMissingOnlyItsEndMarkerConvertsWhateverItsCoding) {
  for (const bool arithmetic : {false, true}) {
    for (const bool progressive : {false, true}) {
      testing::JpegEncoding e;
      e.arithmetic = arithmetic;
      e.progressive = progressive;  // libjpeg's own script, as cjpeg -progressive writes it
      const Bytes whole = testing::encode_jpeg(e, photo_like);
      const Bytes without_end(whole.begin(), whole.end() - 2);
      EXPECT_EQ(convert(without_end).code, kWritten) << arithmetic << progressive;
    }
  }
}

// A progression in which a scan repeats without contradicting itself (the
// DC of every component, to full precision, again and again) is built to
// make the decoder work: its first repeat adds nothing.
TEST_F(JpegDamage, FilesOfThousandsOfScansAreRefused) {
  testing::JpegEncoding e;
  e.components = 3;
  e.scans = {{3, {0, 1, 2}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}, {1, {1}, 1, 63, 0, 0}, {1, {2}, 1, 63, 0, 0}};
  const Bytes plain = testing::encode_jpeg(e, photo_like);
  ASSERT_EQ(convert(plain).code, kWritten);

  const size_t first = find_marker(plain, 0xDA);
  const size_t second = find_marker(plain, 0xDA, first + 2);
  ASSERT_LT(second, plain.size());
  // The DC scan, from its SOS to the next SOS, repeated.
  const Bytes dc_scan(plain.begin() + static_cast<std::ptrdiff_t>(first),
                      plain.begin() + static_cast<std::ptrdiff_t>(second));
  Bytes repeated(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(second));
  for (int i = 0; i < 10000; ++i) repeated.insert(repeated.end(), dc_scan.begin(), dc_scan.end());
  repeated.insert(repeated.end(), plain.begin() + static_cast<std::ptrdiff_t>(second), plain.end());

  const Conversion done = convert(repeated);
  EXPECT_EQ(done.code, kUnreadable);
  EXPECT_NE(done.reason.find("adds nothing"), std::string::npos) << done.reason;
}

// A progressive 19000 x 19000 file keeps 1.1 GB of coefficients, which
// libjpeg must be allowed. This one's first scan stops after one block (its
// 16 x 16 picture's header claims the larger size; comment segments make the
// file as long as the Huffman floor asks), so it is refused for where its
// data ends, once the coefficients have been set aside.
TEST_F(JpegDamage, ProgressiveFilesNeedingOverAGibibyteOfCoefficientsAreGivenIt) {
  testing::JpegEncoding e;
  e.width = e.height = 16;
  e.progressive = true;
  const Bytes small = testing::encode_jpeg(e, [](int, int, int) { return uint8_t{128}; });
  const size_t sof = find_marker(small, 0xC2);
  ASSERT_LT(sof, small.size());
  Bytes claiming(small.begin(), small.begin() + 2);
  const Bytes comment = {0xFF, 0xFE, 0xEA, 0x60};  // 60000 bytes after its marker, these two among them
  for (int i = 0; i < 12; ++i) {
    claiming.insert(claiming.end(), comment.begin(), comment.end());
    claiming.resize(claiming.size() + 60000 - 2, 'x');
  }
  const size_t sizes = claiming.size() + sof - 2 + 5;  // height, then width
  claiming.insert(claiming.end(), small.begin() + 2, small.end());
  claiming[sizes] = claiming[sizes + 2] = 19000 >> 8;
  claiming[sizes + 1] = claiming[sizes + 3] = 19000 & 0xFF;

  const Conversion done = convert(claiming);
  EXPECT_EQ(done.code, kUnreadable);
  EXPECT_EQ(done.reason, "damaged JPEG data: Corrupt JPEG data: premature end of data segment");
}

TEST_F(JpegDamage, AnInconsistentProgressionIsDamage) {
  testing::JpegEncoding e;
  e.components = 1;
  // The DC is sent to one bit short of full precision, then "refined" as if
  // it had been sent to two bits short.
  e.scans = {{1, {0}, 0, 0, 0, 1}, {1, {0}, 1, 63, 0, 0}};
  const Bytes plain = testing::encode_jpeg(e, photo_like);
  ASSERT_EQ(convert(plain).code, kWritten);
  testing::JpegEncoding refined = e;
  refined.scans.push_back({1, {0}, 0, 0, 1, 0});
  Bytes bytes = testing::encode_jpeg(refined, photo_like);
  // Rewrite the refinement's Ah/Al from 1/0 to 2/1.
  size_t sos = 0;
  for (size_t at = find_marker(bytes, 0xDA); at < bytes.size(); at = find_marker(bytes, 0xDA, at + 2)) sos = at;
  const size_t length = bytes[sos + 2] << 8 | bytes[sos + 3];
  ASSERT_EQ(bytes[sos + 2 + length - 1], 0x10);
  bytes[sos + 2 + length - 1] = 0x21;
  EXPECT_EQ(convert(bytes).code, kUnreadable);
}

}  // namespace
}  // namespace quorvant::engine
