#include <gtest/gtest.h>
#include <tiffio.h>

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

// Writes a TIFF with libtiff itself.
void write_tiff(const std::string& path, uint32_t width, uint32_t height, uint16_t samples, uint16_t orientation,
                const std::vector<uint8_t>& data) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
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
