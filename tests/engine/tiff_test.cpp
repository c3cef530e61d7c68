#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "engine/convert.h"
#include "engine/loader.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> pixels_of(const ImageBuffer& picture) {
  return {picture.pixels(), picture.pixels() + picture.pixel_bytes()};
}

TEST(TiffCorpus, EveryFileIsReadAsLibtiffSeesItOrRefusedCleanly) {
  testing::ScratchFolder scratch;
  int read = 0;
  for (const auto& entry : fs::directory_iterator(testing::corpus("tiff"))) {
    const std::string path = entry.path().string();
    const std::string extension = entry.path().extension().string();
    if (extension != ".tif" && extension != ".tiff") continue;
    SCOPED_TRACE(path);
    ImageBuffer picture;
    const ResultCode code = load_picture(path, picture);
    ASSERT_TRUE(code == kLoaded || code == kUnreadable) << code;
    if (code != kLoaded) continue;
    ++read;
    ASSERT_EQ(picture.bits(), 24u);
    const testing::Pnm reference = testing::read_tiff_with_libtiff(path);
    EXPECT_EQ(pixels_of(picture), reference.samples);
  }
  EXPECT_GE(read, 20);
  EXPECT_TRUE(scratch.files().empty());
}

TEST(TiffCorpus, MatchesTheNetpbmTwinsOfTheSamePictures) {
  testing::ScratchFolder scratch;
  for (const char* name : {"rgb-3c-8b", "minisblack-1c-8b", "miniswhite-1c-1b"}) {
    ImageBuffer picture;
    ASSERT_EQ(load_picture(testing::corpus(std::string("tiff/") + name + ".tiff"), picture), kLoaded) << name;
    const std::string twin = testing::corpus(std::string("tiff/") + name +
                                             (name[0] == 'r'   ? ".ppm"
                                              : name[5] == 'b' ? ".pgm"
                                                               : ".pbm"));
    EXPECT_EQ(pixels_of(picture), testing::read_with_imagemagick(twin).samples) << name;
  }
}

TEST(TiffCorpus, LoopingDirectoriesEnd) {
  testing::ScratchFolder scratch;
  for (const char* name : {"test_ifd_loop_to_self.tif", "test_ifd_loop_to_first.tif", "test_ifd_loop_subifd.tif"}) {
    ImageBuffer picture;
    const ResultCode code = load_picture(testing::corpus(std::string("tiff/") + name), picture);
    EXPECT_TRUE(code == kLoaded || code == kUnreadable) << name;
  }
}

// Starts a TIFF with libtiff itself: one directory of interleaved samples.
TIFF* start_tiff(const std::string& path, uint32_t width, uint32_t height, uint16_t samples, uint16_t bits,
                 uint16_t photometric) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr) return nullptr;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  return tiff;
}

// Writes an RGB TIFF with libtiff itself.
void write_tiff(const std::string& path, uint32_t width, uint32_t height, uint16_t samples, uint16_t orientation,
                const std::vector<uint8_t>& data) {
  TIFF* tiff = start_tiff(path, width, height, samples, 8, PHOTOMETRIC_RGB);
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  if (samples == 4) {
    const uint16_t unassociated = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &unassociated);
  }
  for (uint32_t y = 0; y < height; ++y) {
    TIFFWriteScanline(tiff, const_cast<uint8_t*>(data.data()) + size_t{y} * width * samples, y, 0);
  }
  TIFFClose(tiff);
}

TEST(TiffReader, DropsAlphaWithoutBlendingAndTurnsBottomUpFilesUpright) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  // Two rows: (10, 20, 30) fully transparent, then (200, 100, 50) half.
  const std::vector<uint8_t> rgba = {10, 20, 30, 0, 200, 100, 50, 128};
  const std::string alpha = files.file("alpha.tif");
  write_tiff(alpha, 1, 2, 4, ORIENTATION_TOPLEFT, rgba);
  ImageBuffer picture;
  ASSERT_EQ(load_picture(alpha, picture), kLoaded);
  EXPECT_EQ(pixels_of(picture), (std::vector<uint8_t>{10, 20, 30, 200, 100, 50}));

  // Stored bottom row first: the first stored row is the picture's last.
  const std::string bottom_up = files.file("bottom-up.tif");
  write_tiff(bottom_up, 1, 2, 3, ORIENTATION_BOTLEFT, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(load_picture(bottom_up, picture), kLoaded);
  EXPECT_EQ(pixels_of(picture), (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));

  const std::string single = files.file("single.tif");
  write_tiff(single, 1, 1, 3, ORIENTATION_TOPLEFT, {7, 8, 9});
  ASSERT_EQ(load_picture(single, picture), kLoaded);
  EXPECT_EQ(pixels_of(picture), (std::vector<uint8_t>{7, 8, 9}));
}

// CIE L*a*b* of an sRGB colour with the D65 white: the standard formulas,
// in the direction the reader does not go.
struct Lab {
  double lightness, a, b;
};
Lab lab_of(Rgb colour) {
  const auto linear = [](uint8_t v) {
    const double e = v / 255.0;
    return e <= 0.04045 ? e / 12.92 : std::pow((e + 0.055) / 1.055, 2.4);
  };
  const double r = linear(colour.red), g = linear(colour.green), b = linear(colour.blue);
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const auto f = [](double t) {
    constexpr double d = 6.0 / 29.0;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
  };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// The gradient pattern as an L*a*b* TIFF of 8 bits a sample (L* 0..255,
// a* and b* signed) or 16 (L* 0..65535, a* and b* in 1/256ths).
void write_lab_tiff(const std::string& path, int width, int height, uint16_t bits) {
  TIFF* tiff = start_tiff(path, static_cast<uint32_t>(width), static_cast<uint32_t>(height), 3, bits,
                          PHOTOMETRIC_CIELAB);
  ASSERT_NE(tiff, nullptr);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3 * bits / 8);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Lab lab = lab_of(testing::gradient(x, y));
      if (bits == 8) {
        const int8_t samples[3] = {static_cast<int8_t>(std::lround(lab.lightness * 255 / 100)),
                                   static_cast<int8_t>(std::lround(lab.a)), static_cast<int8_t>(std::lround(lab.b))};
        std::memcpy(&row[3 * static_cast<size_t>(x)], samples, 3);
      } else {
        const uint16_t lightness = static_cast<uint16_t>(std::lround(lab.lightness * 65535 / 100));
        const int16_t ab[2] = {static_cast<int16_t>(std::lround(lab.a * 256)),
                               static_cast<int16_t>(std::lround(lab.b * 256))};
        std::memcpy(&row[6 * static_cast<size_t>(x)], &lightness, 2);
        std::memcpy(&row[6 * static_cast<size_t>(x) + 2], ab, 4);
      }
    }
    ASSERT_GE(TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0), 0);
  }
  TIFFClose(tiff);
}

// L*a*b* pictures show the colours of the same picture in RGB, as other
// programs show them. libtiff's own conversion washed them out (a mean
// error of 13.5 levels for both depths); 8 bits of L*a*b* cost about half
// a level of rounding, 16 bits next to nothing.
TEST(TiffReader, CieLabPicturesShowTheColoursOfTheSamePictureInRgb) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  constexpr int kWidth = 64;
  constexpr int kHeight = 48;
  const ImageBuffer original = testing::make_rgb_picture(kWidth, kHeight, testing::gradient);
  for (const auto& [bits, largest_mean_error] : {std::pair<uint16_t, double>{8, 1.5}, {16, 0.1}}) {
    SCOPED_TRACE(bits);
    const std::string path = files.file("lab-" + std::to_string(bits) + ".tif");
    write_lab_tiff(path, kWidth, kHeight, bits);
    ImageBuffer picture;
    ASSERT_EQ(load_picture(path, picture), kLoaded);
    ASSERT_EQ(picture.pixel_bytes(), original.pixel_bytes());
    double error = 0;
    for (size_t i = 0; i < picture.pixel_bytes(); ++i) error += std::abs(picture.pixels()[i] - original.pixels()[i]);
    EXPECT_LT(error / static_cast<double>(picture.pixel_bytes()), largest_mean_error);
  }
}

struct TiffTags {
  uint32_t width = 0, height = 0;
  uint16_t samples = 0, bits = 0, photometric = 0, compression = 0, orientation = 0, planar = 0;
  std::vector<uint16_t> red_map;
  std::vector<std::vector<uint8_t>> rows;
  bool little_endian = false;
};

TiffTags read_tags(const std::string& path) {
  TiffTags t;
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (tiff == nullptr) {
    ADD_FAILURE() << "libtiff cannot open " << path;
    return t;
  }
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &t.width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &t.height);
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &t.samples);
  TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &t.bits);
  TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &t.photometric);
  TIFFGetField(tiff, TIFFTAG_COMPRESSION, &t.compression);
  TIFFGetField(tiff, TIFFTAG_ORIENTATION, &t.orientation);
  TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &t.planar);
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) == 1) t.red_map.assign(red, red + 256);
  t.little_endian = !TIFFIsBigEndian(tiff);
  std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tiff)));
  for (uint32_t y = 0; y < t.height; ++y) {
    TIFFReadScanline(tiff, row.data(), y, 0);
    t.rows.push_back(row);
  }
  TIFFClose(tiff);
  return t;
}

TEST(TiffWriter, ColourFilesAreUncompressedRgbRowsAsStored) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  const std::string source = files.file("in.bmp");
  testing::BmpSpec spec;
  spec.width = 5;
  spec.height = 3;
  testing::write_bytes(source, testing::make_bmp(spec, testing::gradient));
  const std::string out = files.file("out.tif");
  ASSERT_EQ(convert_picture(TargetFormat::kTif, source, out).code, kWritten);
  const TiffTags t = read_tags(out);
  EXPECT_EQ(t.width, 5u);
  EXPECT_EQ(t.samples, 3);
  EXPECT_EQ(t.bits, 8);
  EXPECT_EQ(t.photometric, PHOTOMETRIC_RGB);
  EXPECT_EQ(t.compression, COMPRESSION_NONE);
  EXPECT_EQ(t.orientation, ORIENTATION_TOPLEFT);
  EXPECT_EQ(t.planar, PLANARCONFIG_CONTIG);
  EXPECT_TRUE(t.little_endian);
  ASSERT_EQ(t.rows.size(), 3u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const Rgb c = testing::gradient(x, y);
      ASSERT_EQ(t.rows[static_cast<size_t>(y)][3 * static_cast<size_t>(x)], c.red) << "bits must not be reversed";
      ASSERT_EQ(t.rows[static_cast<size_t>(y)][3 * static_cast<size_t>(x) + 2], c.blue);
    }
  }
}

TEST(TiffWriter, GreyFilesStoreGreyLevelsOverAGreyRamp) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  const std::string source = files.file("in.bmp");
  testing::write_bytes(source, testing::make_bmp({}, testing::gradient));
  const std::string out = files.file("grey.tif");
  ConvertOptions grey;
  grey.grey = true;
  ASSERT_EQ(convert_picture(TargetFormat::kTif, source, out, grey).code, kWritten);
  const TiffTags t = read_tags(out);
  EXPECT_EQ(t.samples, 1);
  EXPECT_EQ(t.photometric, PHOTOMETRIC_PALETTE);
  ASSERT_EQ(t.red_map.size(), 256u);
  for (size_t i = 0; i < 256; ++i) ASSERT_EQ(t.red_map[i], i * 256);
  const Rgb c = testing::gradient(2, 1);
  EXPECT_EQ(t.rows[1][2], grey_level(c.red, c.green, c.blue));
}

}  // namespace
}  // namespace quorvant::engine
