// TIFF files that change under the reader, palette files that lost their
// colour map, and pictures stored on their side.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include "engine/convert.h"
#include "engine/loader.h"
#include "engine/tiff/tiff_reader.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using Bytes = std::vector<uint8_t>;

// Writes an uncompressed 8-bit TIFF with libtiff: `samples` rows of
// width x samples_per_pixel bytes, with the given tags.
struct TiffSpec {
  uint32_t width = 3;
  uint32_t height = 2;
  uint16_t samples_per_pixel = 3;
  uint16_t photometric = PHOTOMETRIC_RGB;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  bool colour_map = false;
  uint32_t rows_per_strip = 1;
  uint16_t compression = COMPRESSION_NONE;
};
void write_tiff(const std::string& path, const TiffSpec& spec, const Bytes& samples) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spec.samples_per_pixel);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, spec.orientation);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, spec.rows_per_strip);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, spec.compression);
  if (spec.photometric == PHOTOMETRIC_RGB && spec.samples_per_pixel > 3) {
    const std::vector<uint16_t> extra(spec.samples_per_pixel - 3u, EXTRASAMPLE_UNSPECIFIED);
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(extra.size()), extra.data());
  }
  std::vector<uint16_t> map(256);
  if (spec.colour_map) {
    // Entry i is a colour no grey reading could give: (i, 255 - i, 0).
    std::vector<uint16_t> red(256), green(256), blue(256, 0);
    for (int i = 0; i < 256; ++i) {
      red[static_cast<size_t>(i)] = static_cast<uint16_t>(i * 257);
      green[static_cast<size_t>(i)] = static_cast<uint16_t>((255 - i) * 257);
    }
    TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  const size_t row = spec.width * spec.samples_per_pixel;
  for (uint32_t y = 0; y < spec.height; ++y) {
    ASSERT_GE(TIFFWriteScanline(tiff, const_cast<uint8_t*>(samples.data() + y * row), y, 0), 0);
  }
  TIFFClose(tiff);
}

class TiffFaults : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;
};

// libtiff used to map the file it reads: a file cut short while it was
// read killed the process with SIGBUS. Read through plain reads, the cut
// is a failed read.
TEST_F(TiffFaults, AFileCutShortWhileItIsReadIsAFailedRead) {
  TiffSpec spec;
  spec.width = 400;
  spec.height = 300;
  Bytes samples(spec.width * spec.height * 3);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 31);
  const std::string path = files_.file("shrinking.tif");
  write_tiff(path, spec, samples);

  ImageBuffer picture;
  tiff::TiffReader reader;
  ASSERT_TRUE(reader.open(engine::SourceFile::open(path), picture, nullptr));
  ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
  EXPECT_FALSE(reader.read());
  EXPECT_NE(reader.failure().find("damaged TIFF data"), std::string::npos) << reader.failure();
  EXPECT_TRUE(scratch_.files().empty());
}

TEST_F(TiffFaults, APalettePictureWhoseColourMapIsCutOffIsDamaged) {
  TiffSpec spec;
  spec.width = 16;
  spec.height = 16;
  spec.samples_per_pixel = 1;
  spec.photometric = PHOTOMETRIC_PALETTE;
  spec.colour_map = true;
  Bytes indices(256);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i);
  const std::string path = files_.file("palette.tif");
  write_tiff(path, spec, indices);

  // Whole, the colour map gives the colours.
  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  EXPECT_EQ(testing::pixel_at(picture, 2, 0), (Rgb{2, 253, 0}));

  // The colour map's 1536 bytes are the last thing libtiff wrote before
  // the directory; point the tag past the end of the file.
  Bytes bytes = testing::read_bytes(path);
  const uint32_t directory = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<uint32_t>(bytes[7]) << 24;
  const size_t entries = bytes[directory] | bytes[directory + 1] << 8;
  bool found = false;
  for (size_t i = 0; i < entries; ++i) {
    uint8_t* entry = &bytes[directory + 2 + 12 * i];
    if ((entry[0] | entry[1] << 8) != TIFFTAG_COLORMAP) continue;
    const uint32_t past_end = static_cast<uint32_t>(bytes.size()) - 100;
    entry[8] = static_cast<uint8_t>(past_end);
    entry[9] = static_cast<uint8_t>(past_end >> 8);
    entry[10] = static_cast<uint8_t>(past_end >> 16);
    entry[11] = static_cast<uint8_t>(past_end >> 24);
    found = true;
  }
  ASSERT_TRUE(found);
  testing::write_bytes(path, bytes);

  const Conversion done = convert_picture(TargetFormat::kPng, path, files_.file("out.png"));
  EXPECT_EQ(done.code, kUnreadable);
  EXPECT_NE(done.reason.find("colour map"), std::string::npos) << done.reason;
  EXPECT_FALSE(testing::file_exists(files_.file("out.png")));
}

// libtiff unpacks a whole strip before the RGBA interface converts it. A
// picture of 64 samples a pixel in one strip of a few kilobytes of deflate
// data unpacks to 16 times its raster, which the memory estimate must
// count: uncounted, many such pictures at once outran the memory budget.
TEST_F(TiffFaults, TheStripLibtiffUnpacksIsCountedAsWorkingMemory) {
  TiffSpec spec;
  spec.width = 256;
  spec.height = 128;
  spec.samples_per_pixel = 64;
  spec.rows_per_strip = spec.height;
  spec.compression = COMPRESSION_ADOBE_DEFLATE;
  const std::string path = files_.file("64-samples.tif");
  write_tiff(path, spec, Bytes(size_t{spec.width} * spec.height * spec.samples_per_pixel, 9));

  ImageBuffer picture;
  tiff::TiffReader reader;
  ASSERT_TRUE(reader.open(engine::SourceFile::open(path), picture, nullptr));
  const uint64_t raster = uint64_t{4} * spec.width * spec.height;
  const uint64_t strip = uint64_t{64} * spec.width * spec.height;
  EXPECT_GE(reader.header().working_bytes, raster + strip);
  EXPECT_TRUE(reader.read()) << reader.failure();
  EXPECT_EQ(testing::pixel_at(picture, 255, 127), (Rgb{9, 9, 9}));
}

// Orientations 5 to 8 store the picture's columns as rows: every viewer
// shows the stored 3 x 2 as 2 x 3. Stored pixel (column c, row r) is
// given the colour (10 c, 100 r, 7).
class TiffOrientation : public TiffFaults, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(TiffOrientation, PicturesStoredOnTheirSideAreReadUpright) {
  TiffSpec spec;
  spec.orientation = GetParam();
  Bytes samples;
  for (uint32_t r = 0; r < spec.height; ++r) {
    for (uint32_t c = 0; c < spec.width; ++c) {
      samples.insert(samples.end(), {static_cast<uint8_t>(10 * c), static_cast<uint8_t>(100 * r), 7});
    }
  }
  const std::string path = files_.file("side.tif");
  write_tiff(path, spec, samples);

  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  ASSERT_EQ(picture.width(), 2);
  ASSERT_EQ(picture.height(), 3);
  // The stored row is the picture's column counted from the left (5, 8) or
  // the right (6, 7); the stored column its row from the top (5, 6) or the
  // bottom (7, 8).
  const bool from_right = spec.orientation == ORIENTATION_RIGHTTOP || spec.orientation == ORIENTATION_RIGHTBOT;
  const bool from_bottom = spec.orientation == ORIENTATION_RIGHTBOT || spec.orientation == ORIENTATION_LEFTBOT;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 2; ++x) {
      const int stored_row = from_right ? 1 - x : x;
      const int stored_column = from_bottom ? 2 - y : y;
      EXPECT_EQ(testing::pixel_at(picture, x, y),
                (Rgb{static_cast<uint8_t>(10 * stored_column), static_cast<uint8_t>(100 * stored_row), 7}))
          << x << ", " << y;
    }
  }
  // ImageMagick turns the picture the same way.
  const testing::Pnm upright =
      testing::parse_pnm(testing::run_tool("convert-im6.q16 " + testing::shell_quote(path) + " -auto-orient ppm:-"));
  EXPECT_EQ(upright.width, 2);
  EXPECT_EQ(Bytes(picture.pixels(), picture.pixels() + picture.pixel_bytes()), upright.samples);
}

INSTANTIATE_TEST_SUITE_P(FiveToEight, TiffOrientation,
                         ::testing::Values(ORIENTATION_LEFTTOP, ORIENTATION_RIGHTTOP, ORIENTATION_RIGHTBOT,
                                           ORIENTATION_LEFTBOT));

}  // namespace
}  // namespace quorvant::engine
