// Every conversion command writes its file from every kind of picture the
// loader produces, and readers that share no code with the engine read back
// exactly the pixels the picture holds.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <functional>

#include "engine/colour.h"
#include "engine/convert.h"
#include "engine/loader.h"
#include "engine/source_colours.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::Pnm;

constexpr int kWidth = 37;  // odd: bitmap rows and PCX planes carry padding
constexpr int kHeight = 23;

Rgb smooth(int x, int y) {
  return {static_cast<uint8_t>(x * 6 + 10), static_cast<uint8_t>(y * 10 + 5), static_cast<uint8_t>((x + y) * 4)};
}

// Source files, written by libpng and by hand, one per kind of picture.
enum class SourceKind { kPalette, kGrey, kRgb, kRgba };

std::string write_source(SourceKind kind, const testing::TempFolder& folder) {
  if (kind == SourceKind::kRgb) {
    const std::string path = folder.file("rgb.bmp");
    testing::BmpSpec spec;
    spec.width = kWidth;
    spec.height = kHeight;
    testing::write_bytes(path, testing::make_bmp(spec, smooth));
    return path;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = kHeight;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> colormap;
  std::string path;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb c = smooth(x, y);
      switch (kind) {
        case SourceKind::kPalette:
          pixels.push_back(static_cast<uint8_t>((x + y) * 64 / (kWidth + kHeight)));
          break;
        case SourceKind::kGrey:
          pixels.push_back(static_cast<uint8_t>(x * 7 + y));
          break;
        default:
          pixels.insert(pixels.end(), {c.red, c.green, c.blue, static_cast<uint8_t>(x * 7)});
          break;
      }
    }
  }
  if (kind == SourceKind::kPalette) {
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 64;
    for (int i = 0; i < 64; ++i)
      colormap.insert(colormap.end(), {static_cast<uint8_t>(i * 4), 200, static_cast<uint8_t>(255 - i)});
    path = folder.file("palette.png");
  } else if (kind == SourceKind::kGrey) {
    image.format = PNG_FORMAT_GRAY;
    path = folder.file("grey.png");
  } else {
    image.format = PNG_FORMAT_RGBA;
    path = folder.file("rgba.png");
  }
  EXPECT_NE(
      png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, colormap.empty() ? nullptr : colormap.data()),
      0);
  return path;
}

// The colours a loaded picture shows, as 8-bit RGB.
Pnm colours_of(const ImageBuffer& picture) {
  Pnm out{picture.width(), picture.height(), 3, {}};
  for_each_colour(picture, [&](size_t, Rgb c) { out.samples.insert(out.samples.end(), {c.red, c.green, c.blue}); });
  return out;
}

Pnm grey_of(
    const Pnm& rgb, const std::function<uint8_t(uint8_t)>& map = [](uint8_t v) { return v; }) {
  Pnm out = rgb;
  for (size_t i = 0; i < out.samples.size(); i += 3) {
    const uint8_t g = map(grey_level(rgb.samples[i], rgb.samples[i + 1], rgb.samples[i + 2]));
    out.samples[i] = out.samples[i + 1] = out.samples[i + 2] = g;
  }
  return out;
}

double psnr(const Pnm& a, const Pnm& b) {
  double squared = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    const double d = static_cast<double>(a.samples[i]) - static_cast<double>(b.samples[i]);
    squared += d * d;
  }
  const double mse = squared / static_cast<double>(a.samples.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

struct Target {
  const char* name;
  TargetFormat format;
  ConvertOptions options;
  std::function<Pnm(const std::string&)> read_back;
  bool grey;
  bool bilevel;
};

ConvertOptions with(const std::function<void(ConvertOptions&)>& change) {
  ConvertOptions o;
  change(o);
  return o;
}

std::vector<Target> targets() {
  return {
      {"bmp", TargetFormat::kBmp, {}, testing::decode_with_netpbm_bmp, false, false},
      {"pbm", TargetFormat::kPbm, {}, testing::read_with_imagemagick, true, true},
      {"pcx", TargetFormat::kPcx, {}, testing::read_pcx_with_netpbm, false, false},
      {"pgm", TargetFormat::kPgm, {}, testing::read_with_imagemagick, true, false},
      {"plain.pgm", TargetFormat::kPgm, with([](auto& o) { o.raw = false; }), testing::read_with_imagemagick, true,
       false},
      {"pic", TargetFormat::kPic, {}, testing::read_pic, false, false},
      {"png", TargetFormat::kPng, {}, testing::read_png_with_libpng, false, false},
      {"ppm", TargetFormat::kPpm, {}, testing::read_with_imagemagick, false, false},
      {"plain.ppm", TargetFormat::kPpm, with([](auto& o) { o.raw = false; }), testing::read_with_imagemagick, false,
       false},
      {"sgi", TargetFormat::kSgi, {}, testing::read_sgi_with_netpbm, false, false},
      {"tif", TargetFormat::kTif, {}, testing::read_tiff_with_libtiff, false, false},
      {"grey.tif", TargetFormat::kTif, with([](auto& o) { o.grey = true; }), testing::read_tiff_with_libtiff, true,
       false},
  };
}

class AllFormatsTest : public ::testing::TestWithParam<SourceKind> {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;
};

TEST_P(AllFormatsTest, EveryTargetHoldsExactlyThePicturesPixels) {
  const std::string source = write_source(GetParam(), files_);
  ImageBuffer loaded;
  ASSERT_EQ(load_picture(source, loaded), kLoaded);
  const Pnm colours = colours_of(loaded);

  for (const Target& target : targets()) {
    SCOPED_TRACE(target.name);
    const std::string out = files_.file(std::string("out.") + target.name);
    ASSERT_EQ(convert_picture(target.format, source, out, target.options).code, kWritten);
    const Pnm expected = target.bilevel
                             ? grey_of(colours, [](uint8_t v) { return static_cast<uint8_t>(v <= 128 ? 0 : 255); })
                         : target.grey ? grey_of(colours)
                                       : colours;
    const Pnm written = target.read_back(out);
    ASSERT_EQ(written.width, kWidth);
    ASSERT_EQ(written.height, kHeight);
    ASSERT_EQ(written.samples.size(), expected.samples.size());
    for (size_t i = 0; i < expected.samples.size(); ++i) {
      ASSERT_EQ(written.samples[i], expected.samples[i]) << "pixel " << i / 3 << ", sample " << i % 3;
    }
  }
  loaded.clear();
  EXPECT_TRUE(scratch_.files().empty()) << "the conversions left scratch files behind";
}

TEST_P(AllFormatsTest, JpegKeepsThePictureWithinItsQuality) {
  const std::string source = write_source(GetParam(), files_);
  ImageBuffer loaded;
  ASSERT_EQ(load_picture(source, loaded), kLoaded);
  const Pnm colours = colours_of(loaded);
  for (bool grey : {false, true}) {
    const std::string out = files_.file(grey ? "grey.jpg" : "colour.jpg");
    ASSERT_EQ(convert_picture(TargetFormat::kJpg, source, out, with([&](auto& o) { o.grey = grey; })).code, kWritten);
    const Pnm written = testing::as_rgb(testing::decode_with_djpeg(out));
    ASSERT_EQ(written.samples.size(), colours.samples.size());
    EXPECT_GT(psnr(written, grey ? grey_of(colours) : colours), 30.0) << (grey ? "grey" : "colour");
  }
}

std::string source_name(const ::testing::TestParamInfo<SourceKind>& source) {
  static const char* const kNames[] = {"Palette8", "Grey8", "Rgb24", "Rgba32"};
  return kNames[static_cast<int>(source.param)];
}

INSTANTIATE_TEST_SUITE_P(Sources, AllFormatsTest,
                         ::testing::Values(SourceKind::kPalette, SourceKind::kGrey, SourceKind::kRgb,
                                           SourceKind::kRgba),
                         source_name);

TEST(AllFormatsLoader, ReadsEachPictureKindIntoTheRightBuffer) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  const struct {
    SourceKind kind;
    uint32_t bits;
    int32_t palette;
  } expected[] = {
      {SourceKind::kPalette, 8, 64}, {SourceKind::kGrey, 8, 0}, {SourceKind::kRgb, 24, 0}, {SourceKind::kRgba, 32, 0}};
  for (const auto& e : expected) {
    ImageBuffer loaded;
    ASSERT_EQ(load_picture(write_source(e.kind, files), loaded), kLoaded);
    EXPECT_EQ(loaded.bits(), e.bits);
    EXPECT_EQ(loaded.palette_count(), e.palette);
  }
}

}  // namespace
}  // namespace quorvant::engine
