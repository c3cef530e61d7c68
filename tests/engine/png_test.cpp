#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <filesystem>

#include "engine/convert.h"
#include "engine/loader.h"
#include "engine/png/png_writer.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

namespace fs = std::filesystem;

// A PNG as libpng decodes it with no gamma handling: samples expanded to
// 8 bits, one byte per palette index, grey alpha dropped, colour alpha last.
struct RawPng {
  int colour_type = 0;
  int depth = 0;
  double gamma = 0;  // 0 when the file has no gAMA chunk
  bool srgb = false;
  std::vector<png_color> palette;
  std::vector<uint8_t> samples;
};

struct RawPngError {
  std::jmp_buf jump;
};
[[noreturn]] void raw_png_error(png_structp png, png_const_charp) {
  std::longjmp(static_cast<RawPngError*>(png_get_error_ptr(png))->jump, 1);
}

RawPng decode_raw(const std::string& path) {
  RawPng raw;
  FILE* file = std::fopen(path.c_str(), "rb");
  RawPngError error{};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, raw_png_error, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(error.jump) != 0) {
    ADD_FAILURE() << "libpng cannot decode " << path;
  } else {
    png_init_io(png, file);
    png_read_info(png, info);
    raw.colour_type = png_get_color_type(png, info);
    raw.depth = png_get_bit_depth(png, info);
    int intent = 0;
    raw.srgb = png_get_sRGB(png, info, &intent) != 0;
    if (png_get_gAMA(png, info, &raw.gamma) == 0) raw.gamma = 0;
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) != 0) raw.palette.assign(palette, palette + count);
    png_set_packing(png);
    if (raw.colour_type == PNG_COLOR_TYPE_GRAY && raw.depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (raw.colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t row_bytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    raw.samples.resize(row_bytes * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = raw.samples.data() + y * row_bytes;
    png_read_image(png, rows.data());
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return raw;
}

// What a screen gamma of 2.2 makes of a sample.
uint8_t gamma_corrected(uint8_t sample, double file_gamma) {
  return static_cast<uint8_t>(std::floor(255.0 * std::pow(sample / 255.0, 1.0 / (file_gamma * 2.2)) + 0.5));
}

TEST(PngSuite, EveryFileReadsWithTheRightPixelsOrIsDeclinedWhenSixteenBit) {
  testing::ScratchFolder scratch;
  int read = 0;
  for (const char* folder : {"pngsuite", "pngsuite/interlaced"}) {
    for (const auto& entry : fs::directory_iterator(testing::corpus(folder))) {
      if (entry.path().extension() != ".png") continue;
      const std::string path = entry.path().string();
      SCOPED_TRACE(path);
      ImageBuffer picture;
      const RawPng raw = decode_raw(path);
      if (raw.depth == 16) {
        EXPECT_EQ(load_picture(path, picture), kUnreadable);
        continue;
      }
      ASSERT_EQ(load_picture(path, picture), kLoaded);
      ++read;
      if (raw.colour_type == PNG_COLOR_TYPE_PALETTE) {
        // Palette files keep their indices and their palette as stored.
        ASSERT_EQ(picture.palette_count(), static_cast<int32_t>(raw.palette.size()));
        for (size_t i = 0; i < raw.palette.size(); ++i) {
          ASSERT_EQ(picture.palette()[i].red, raw.palette[i].red);
          ASSERT_EQ(picture.palette()[i].blue, raw.palette[i].blue);
        }
        ASSERT_EQ(0, std::memcmp(picture.pixels(), raw.samples.data(), picture.pixel_bytes()));
        continue;
      }
      // Every other kind is gamma corrected for the screen; alpha moves first.
      const bool alpha = raw.colour_type == PNG_COLOR_TYPE_RGB_ALPHA;
      const int channels = alpha ? 4 : raw.colour_type == PNG_COLOR_TYPE_RGB ? 3 : 1;
      ASSERT_EQ(picture.bits(), static_cast<uint32_t>(8 * channels));
      ASSERT_EQ(picture.pixel_bytes(), raw.samples.size());
      const double file_gamma = raw.srgb || raw.gamma == 0 ? 0.45455 : raw.gamma;
      for (size_t i = 0; i < raw.samples.size(); i += static_cast<size_t>(channels)) {
        for (int c = 0; c < channels; ++c) {
          const bool is_alpha = alpha && c == 3;
          const uint8_t expected = is_alpha ? raw.samples[i + 3] : gamma_corrected(raw.samples[i + c], file_gamma);
          const size_t at = i + (alpha ? (is_alpha ? 0 : c + 1) : c);
          ASSERT_NEAR(picture.pixels()[at], expected, 1) << "sample " << i + c;
        }
      }
    }
  }
  EXPECT_GT(read, 40);
}

TEST(PngSuite, FilesWithoutGammaOrWithSrgbReadUnchanged) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  // libpng's simplified writer marks 8-bit files as sRGB; the engine's own
  // PNGs carry no gamma at all. Neither may change a sample.
  std::vector<uint8_t> grey(16 * 16);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 16;
  image.height = 16;
  image.format = PNG_FORMAT_GRAY;
  const std::string srgb = files.file("srgb.png");
  ASSERT_NE(png_image_write_to_file(&image, srgb.c_str(), 0, grey.data(), 0, nullptr), 0);
  ImageBuffer picture;
  ASSERT_EQ(load_picture(srgb, picture), kLoaded);
  EXPECT_EQ(0, std::memcmp(picture.pixels(), grey.data(), grey.size()));

  const std::string plain = files.file("plain.png");
  ASSERT_EQ(convert_picture(TargetFormat::kPng, srgb, plain).code, kWritten);
  ImageBuffer again;
  ASSERT_EQ(load_picture(plain, again), kLoaded);
  for (size_t i = 0; i < grey.size(); ++i) ASSERT_EQ(again.pixels()[3 * i], grey[i]);
}

// The chunk types of a PNG file, in order, and its header fields.
struct Chunks {
  std::vector<std::string> types;
  int depth = 0;
  int colour_type = 0;
  int interlace = 0;
};
Chunks chunks_of(const std::vector<uint8_t>& b) {
  Chunks c;
  for (size_t p = 8; p + 8 <= b.size();) {
    const size_t length = static_cast<size_t>(b[p] << 24 | b[p + 1] << 16 | b[p + 2] << 8 | b[p + 3]);
    const std::string type(b.begin() + static_cast<std::ptrdiff_t>(p + 4),
                           b.begin() + static_cast<std::ptrdiff_t>(p + 8));
    if (type == "IHDR") {
      c.depth = b[p + 16];
      c.colour_type = b[p + 17];
      c.interlace = b[p + 20];
    }
    c.types.push_back(type);
    p += 12 + length;
  }
  return c;
}

TEST(PngWriter, CommandWritesInterlacedEightBitRgbWithoutPalette) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;

  const std::string bmp = files.file("in.bmp");
  testing::write_bytes(bmp, testing::make_bmp({}, testing::gradient));
  const std::string out = files.file("out.png");
  ASSERT_EQ(convert_picture(TargetFormat::kPng, bmp, out).code, kWritten);
  const Chunks c = chunks_of(testing::read_bytes(out));
  EXPECT_EQ(c.depth, 8);
  EXPECT_EQ(c.colour_type, 2);
  EXPECT_EQ(c.interlace, 1) << "Adam7";
  EXPECT_EQ(std::count(c.types.begin(), c.types.end(), "PLTE"), 0);
  EXPECT_EQ(c.types.back(), "IEND");
}

TEST(PngWriter, WritesPaletteAndAlphaPicturesToo) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  ImageBuffer argb;
  ASSERT_TRUE(argb.create(3, 2, 32, 0));
  for (size_t i = 0; i < 6; ++i) {
    uint8_t* p = argb.pixels() + 4 * i;
    p[0] = static_cast<uint8_t>(40 * i);  // alpha
    p[1] = 10;
    p[2] = static_cast<uint8_t>(i);
    p[3] = 250;
  }
  WriteSettings rgba;
  rgba.bits = 32;
  png::PngWriter writer;
  const std::string path = files.file("argb.png");
  ASSERT_TRUE(writer.open(path, argb, rgba, nullptr) && writer.write());
  EXPECT_EQ(argb.pixels()[1], 10) << "the source picture is left as it was";
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba_samples(PNG_IMAGE_SIZE(image));
  ASSERT_NE(png_image_finish_read(&image, nullptr, rgba_samples.data(), 0, nullptr), 0);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(rgba_samples[4 * i], 10);
    EXPECT_EQ(rgba_samples[4 * i + 1], i);
    EXPECT_EQ(rgba_samples[4 * i + 2], 250);
    EXPECT_EQ(rgba_samples[4 * i + 3], 40 * i);
  }

  WriteSettings indexed;
  indexed.bits = 8;
  indexed.palette_count = 16;
  const std::string palette_path = files.file("palette.png");
  ImageBuffer rgb = testing::make_rgb_picture(4, 4, [](int x, int) { return x < 2 ? Rgb{255, 0, 0} : Rgb{0, 0, 248}; });
  ASSERT_TRUE(writer.open(palette_path, rgb, indexed, nullptr) && writer.write());
  const Chunks c = chunks_of(testing::read_bytes(palette_path));
  EXPECT_EQ(c.colour_type, 3);
  EXPECT_EQ(std::count(c.types.begin(), c.types.end(), "PLTE"), 1);
  EXPECT_EQ(testing::read_png_with_libpng(palette_path).samples[0], 248) << "red as its colour code decodes";

  WriteSettings bad;
  bad.bits = 16;
  EXPECT_FALSE(writer.open(files.file("bad.png"), rgb, bad, nullptr));
  EXPECT_FALSE(testing::file_exists(files.file("bad.png")));
}

}  // namespace
}  // namespace quorvant::engine
