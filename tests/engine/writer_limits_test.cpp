// What a format cannot describe is refused before anything is written, and
// a write that fails part-way leaves no broken file; both say why.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "engine/convert.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

class WriterLimits : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;

  // A 24-bit bitmap of `width` x 2 black pixels.
  std::string wide_bitmap(int width) {
    testing::BmpSpec spec;
    spec.width = width;
    spec.height = 2;
    const std::string path = files_.file("wide" + std::to_string(width) + ".bmp");
    testing::write_bytes(path, testing::make_bmp(spec, [](int, int) { return Rgb{}; }));
    return path;
  }
  Conversion convert(TargetFormat format, const std::string& source) {
    const Conversion done = convert_picture(format, source, files_.file("out"));
    EXPECT_TRUE(scratch_.files().empty());
    return done;
  }
};

// A PCX line holds the width rounded up to an even number of bytes in a
// 16-bit field: 65535 pixels would need 65536. That picture crashed the
// writer; it is refused like any wider one, and nothing is created.
TEST_F(WriterLimits, PcxRefusesA65535PixelWidePicture) {
  for (int width : {65535, 65536, 70000}) {
    const Conversion done = convert(TargetFormat::kPcx, wide_bitmap(width));
    EXPECT_EQ(done.code, kWriteFailed) << width;
    EXPECT_EQ(done.reason,
              "PCX stores sizes in 16 bits: " + std::to_string(width) + " pixels wide is too wide (at most 65534)");
    EXPECT_FALSE(testing::file_exists(files_.file("out")));
  }
  EXPECT_EQ(convert(TargetFormat::kPcx, wide_bitmap(65534)).code, kWritten);
  const std::vector<uint8_t> header = testing::read_bytes(files_.file("out"));
  EXPECT_EQ(header[66] | header[67] << 8, 65534) << "bytes per line";
}

TEST_F(WriterLimits, SgiAndPicTakeSixteenBitSizesAndNoMore) {
  const std::string widest = wide_bitmap(65535);
  ASSERT_EQ(convert(TargetFormat::kSgi, widest).code, kWritten);
  std::vector<uint8_t> sgi = testing::read_bytes(files_.file("out"));
  EXPECT_EQ(sgi[6] << 8 | sgi[7], 65535);
  EXPECT_EQ(sgi.size(), 512u + 3u * 65535u * 2u);
  ASSERT_EQ(convert(TargetFormat::kPic, widest).code, kWritten);
  std::vector<uint8_t> pic = testing::read_bytes(files_.file("out"));
  EXPECT_EQ(pic[92] << 8 | pic[93], 65535);

  const std::string too_wide = wide_bitmap(65536);
  for (TargetFormat format : {TargetFormat::kSgi, TargetFormat::kPic}) {
    std::remove(files_.file("out").c_str());
    const Conversion done = convert(format, too_wide);
    EXPECT_EQ(done.code, kWriteFailed);
    EXPECT_NE(done.reason.find("stores sizes in 16 bits: 65536 pixels wide is too wide"), std::string::npos)
        << done.reason;
    EXPECT_FALSE(testing::file_exists(files_.file("out")));
  }
}

TEST_F(WriterLimits, JpegRefusesWhatLibjpegCannotDescribe) {
  const Conversion done = convert(TargetFormat::kJpg, wide_bitmap(65501));
  EXPECT_EQ(done.code, kWriteFailed);
  EXPECT_NE(done.reason.find("65500"), std::string::npos) << done.reason;
  EXPECT_FALSE(testing::file_exists(files_.file("out")));
}

// The file size limit of the process makes writes fail part-way, as a full
// disk does.
class SizeLimit {
 public:
  explicit SizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~SizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, SIG_DFL);
  }

 private:
  rlimit saved_{};
};

TEST_F(WriterLimits, AWriteThatFailsPartWayLeavesNoFileAndSaysWhy) {
  // Noise does not compress: every output is larger than the picture's
  // three bytes a pixel, which must still fit as scratch space.
  constexpr int kSide = 200;
  const std::string source = files_.file("noise.bmp");
  testing::BmpSpec spec;
  spec.width = spec.height = kSide;
  testing::write_bytes(
      source, testing::make_bmp(spec, [](int x, int y) {
        uint64_t h = static_cast<uint64_t>(y * kSide + x) * 0x9E3779B97F4A7C15ull;
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        h ^= h >> 31;
        return Rgb{static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
      }));
  ConvertOptions plain;
  plain.raw = false;
  const SizeLimit limit(3 * kSide * kSide + 64);
  for (TargetFormat format : {TargetFormat::kPpm, TargetFormat::kTif, TargetFormat::kPng}) {
    const std::string out = files_.file("out");
    const Conversion done = convert_picture(format, source, out, plain);
    EXPECT_EQ(done.code, kWriteFailed) << describe(format).name;
    EXPECT_EQ(done.reason, "cannot write " + out + ": File too large") << describe(format).name;
    EXPECT_FALSE(testing::file_exists(out)) << describe(format).name;
  }
}

TEST_F(WriterLimits, ADeviceNamedAsTheDestinationIsNeverRemoved) {
  const Conversion done = convert(TargetFormat::kBmp, wide_bitmap(4000));
  EXPECT_EQ(done.code, kWritten);
  const Conversion full = convert_picture(TargetFormat::kBmp, wide_bitmap(4000), "/dev/full");
  EXPECT_EQ(full.code, kWriteFailed);
  EXPECT_EQ(full.reason, "cannot write /dev/full: No space left on device");
  EXPECT_TRUE(testing::file_exists("/dev/full"));
}

}  // namespace
}  // namespace quorvant::engine
