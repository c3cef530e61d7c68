// The picture decoding service: kind detection, and every kind decoded from
// files built here byte by byte, written by libjpeg or Qt, or taken from the
// corpus of files written by other software.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include "ui/pictures/picture_decoding.h"

namespace quorvant::ui::pictures {
namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void put32(Bytes& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}
// A copy of `bytes` with the 32-bit field at `at` set to `value`.
Bytes with32(Bytes bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

Bytes read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}
std::string corpus(const std::string& name) { return std::string(QUORVANT_CORPUS_DIR) + "/" + name; }

// Every prefix of a picture either fails or gives a picture of the full size.
void expect_prefixes_survive(const Bytes& whole, const QSize& size) {
  for (size_t length = 0; length < whole.size(); ++length) {
    const std::optional<QImage> image = decode_picture(std::span(whole.data(), length));
    if (image) {
      EXPECT_EQ(image->size(), size) << "prefix of " << length;
    }
  }
}

// A stored pixel value for (x, stored row): a colour table index, or 0xAARRGGBB.
using PixelSource = std::function<uint32_t(int, int)>;

// Rows of a device-independent bitmap, bottom row first, padded to 4 bytes.
void put_dib_rows(Bytes& out, int width, int rows, unsigned bits, const PixelSource& pixel) {
  for (int row = 0; row < rows; ++row) {
    const size_t start = out.size();
    uint32_t bit_buffer = 0;
    unsigned bit_count = 0;
    for (int x = 0; x < width; ++x) {
      const uint32_t value = pixel(x, row);
      if (bits >= 16) {
        for (unsigned byte = 0; byte < bits / 8; ++byte) out.push_back(static_cast<uint8_t>(value >> (8 * byte)));
        continue;
      }
      bit_buffer = (bit_buffer << bits) | value;
      bit_count += bits;
      if (bit_count == 8) {
        out.push_back(static_cast<uint8_t>(bit_buffer));
        bit_buffer = bit_count = 0;
      }
    }
    if (bit_count > 0) out.push_back(static_cast<uint8_t>(bit_buffer << (8 - bit_count)));
    while ((out.size() - start) % 4 != 0) out.push_back(0xEE);
  }
}

Bytes info_header(int32_t width, int32_t height, unsigned bits, uint32_t compression, uint32_t colours_used) {
  Bytes out;
  for (uint32_t field : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) put32(out, field);
  put16(out, 1);
  put16(out, bits);
  for (uint32_t field : {compression, 0u, 2835u, 2835u, colours_used, 0u}) put32(out, field);
  return out;
}

void put_table(Bytes& out, const std::vector<QRgb>& table) {
  for (QRgb colour : table) {
    out.insert(out.end(), {uint8_t(qBlue(colour)), uint8_t(qGreen(colour)), uint8_t(qRed(colour)), 0});
  }
}

struct Bmp {
  Bmp(int32_t width_, int32_t height_, unsigned bits_, std::vector<QRgb> table_ = {}, uint32_t colours_used_ = 0)
      : width(width_), height(height_), bits(bits_), table(std::move(table_)), colours_used(colours_used_) {}
  int32_t width;
  int32_t height;
  unsigned bits;
  std::vector<QRgb> table;
  uint32_t colours_used;
  uint32_t compression = 0;
  uint32_t gap = 0;  // bytes between the table and the pixels
  Bytes build(const PixelSource& pixel) const {
    Bytes out{'B', 'M'};
    const uint32_t offset = 54 + static_cast<uint32_t>(table.size()) * 4 + gap;
    for (uint32_t field : {0u, 0u, offset}) put32(out, field);
    const Bytes info = info_header(width, height, bits, compression, colours_used);
    out.insert(out.end(), info.begin(), info.end());
    put_table(out, table);
    out.resize(offset, 0xAB);
    put_dib_rows(out, std::abs(width), std::abs(height), bits, pixel);
    return out;
  }
};

std::vector<QRgb> distinct_colours(int count) {
  std::vector<QRgb> colours;
  for (int i = 0; i < count; ++i) colours.push_back(qRgb(i * 37 % 256, 255 - i, i * 11 % 256));
  return colours;
}

TEST(DetectKind, FollowsTheSignatures) {
  const std::vector<std::pair<Bytes, PictureKind>> cases = {
      {{'B', 'M', 0, 0, 0, 0}, PictureKind::kBmp},
      {{'B', 'M', 0, 0, 0}, PictureKind::kNone},  // fewer than 6 bytes
      {{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}, PictureKind::kJpeg},
      {{0, 0, 1, 0, 1, 0}, PictureKind::kIcon},
      {{0, 0, 2, 0, 3, 0}, PictureKind::kCursor},
      {{0, 0, 1, 0, 0, 0}, PictureKind::kNone},  // no images
      {{0, 0, 3, 0, 1, 0}, PictureKind::kNone},
      {{1, 0, 1, 0, 1, 0}, PictureKind::kNone},
      {{'G', 'I', 'F', '8', '7', 'a'}, PictureKind::kGif},
      {{'G', 'I', 'F', '8', '9', 'a'}, PictureKind::kGif},
      {{'G', 'I', 'F', '8', '8', 'a'}, PictureKind::kNone},
      {{10, 5, 1, 8, 0, 0}, PictureKind::kPcx8},
      {{10, 0, 1, 8, 0, 0}, PictureKind::kPcx8},
      {{10, 6, 1, 8, 0, 0}, PictureKind::kNone},
      {{10, 5, 0, 8, 0, 0}, PictureKind::kNone},
      {{10, 3, 1, 1, 0, 0}, PictureKind::kPcx1},
      {{10, 5, 1, 1, 0, 0}, PictureKind::kNone},
      {{10, 3, 1, 4, 0, 0}, PictureKind::kNone},
  };
  for (const auto& [bytes, kind] : cases) EXPECT_EQ(detect_kind(bytes), kind) << testing::PrintToString(bytes);
  // The engine reads PNG and TIFF; this service does not.
  for (const char* name : {"jpeg/testorig.png", "tiff/rgb-3c-8b.tiff"}) {
    EXPECT_EQ(detect_kind(read_file(corpus(name))), PictureKind::kNone) << name;
    EXPECT_FALSE(decode_picture_file(corpus(name))) << name;
  }
  EXPECT_FALSE(decode_picture(Bytes{}));
  EXPECT_FALSE(decode_picture_file(corpus("no such file.bmp")));
  EXPECT_FALSE(decode_picture_file(corpus("jpeg")));
}

TEST(Bmp, CorpusFilesMatchQtsReader) {
  for (const char* name : {"jpeg/vgl_6434_0018a.bmp", "jpeg/vgl_6548_0026a.bmp", "jpeg/shira_bird8.bmp"}) {
    const std::optional<QImage> ours = decode_picture_file(corpus(name));
    ASSERT_TRUE(ours) << name;
    EXPECT_EQ(ours->format(), QImage::Format_RGB32);
    EXPECT_TRUE(*ours == QImage(QString::fromStdString(corpus(name))).convertToFormat(QImage::Format_RGB32)) << name;
  }
}

TEST(Bmp, EveryDepthGivesItsColoursBottomRowFirst) {
  for (unsigned bits : {1u, 4u, 8u, 24u, 32u}) {
    const int colours = bits <= 8 ? 1 << bits : 0;
    const Bmp bmp(13, 5, bits, distinct_colours(colours));
    auto colour_at = [&](int x, int row) {
      return bits <= 8 ? (x * 7 + row * 3) % colours : (x * 40 + row * 9) << 8 | 0xC0;
    };
    const std::optional<QImage> image = decode_picture(bmp.build([&](int x, int row) {
      return bits == 32 ? 0x5A000000u | uint32_t(colour_at(x, row)) : uint32_t(colour_at(x, row));
    }));
    ASSERT_TRUE(image) << bits;
    ASSERT_EQ(image->size(), QSize(13, 5));
    for (int row = 0; row < 5; ++row) {
      for (int x = 0; x < 13; ++x) {
        const QRgb expected = bits <= 8 ? bmp.table[colour_at(x, row)] : (0xFF000000u | colour_at(x, row));
        ASSERT_EQ(image->pixel(x, 4 - row), expected) << bits << " bits at " << x << "," << row;
      }
    }
  }
}

TEST(Bmp, ColourTableAndDataOffsetRules) {
  // Three colours used: the table holds three entries and the pixels follow it.
  Bmp bmp(4, 1, 8, distinct_colours(3), 3);
  std::optional<QImage> image = decode_picture(bmp.build([](int x, int) { return x; }));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixel(2, 0), bmp.table[2]);
  EXPECT_EQ(image->pixel(3, 0), qRgb(0, 0, 0));  // beyond the table
  // A data offset past the table is skipped to; one inside the table fails.
  bmp.gap = 9;
  const Bytes bytes = bmp.build([](int x, int) { return x % 3; });
  image = decode_picture(bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixel(1, 0), bmp.table[1]);
  EXPECT_FALSE(decode_picture(with32(bytes, 10, 54 + 3 * 4 - 1)));
}

TEST(Bmp, NegativeHeightIsTakenBottomRowFirst) {
  const Bmp bmp(3, -2, 24);
  const std::optional<QImage> image =
      decode_picture(bmp.build([](int, int row) { return row == 0 ? 0xFF0000 : 0x0000FF; }));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), QSize(3, 2));
  EXPECT_EQ(image->pixel(1, 1), qRgb(255, 0, 0));
  EXPECT_EQ(image->pixel(1, 0), qRgb(0, 0, 255));
}

TEST(Bmp, UnsupportedDamagedAndHostileFilesFail) {
  const auto grey = [](int, int) { return 0x808080u; };
  Bmp run_length(5, 3, 8, distinct_colours(256));
  run_length.compression = 1;
  EXPECT_FALSE(decode_picture(run_length.build(grey)));
  EXPECT_FALSE(decode_picture(Bmp(5, 3, 16).build(grey)));
  EXPECT_FALSE(decode_picture(Bmp(5, 3, 0).build(grey)));
  const Bytes good = Bmp(5, 3, 24).build(grey);
  const size_t last_row_end = 54 + 16 * 2 + 15;  // the last row's padding is never read
  for (size_t length = 0; length < good.size(); ++length) {
    EXPECT_EQ(decode_picture(std::span(good.data(), length)).has_value(), length >= last_row_end) << length;
  }
  const std::vector<std::pair<size_t, uint32_t>> hostile = {
      {18, 0x7FFFFFFF}, {18, 0x80000000}, {22, 0x80000000}, {18, 40000}, {22, 0}, {10, 0xFFFFFFFF}, {10, 53}};
  for (const auto& [field, value] : hostile) {
    EXPECT_FALSE(decode_picture(with32(good, field, value))) << field << " = " << value;
  }
  const Bytes two_colours = Bmp(5, 3, 8, distinct_colours(2), 2).build([](int, int) { return 1; });
  ASSERT_TRUE(decode_picture(two_colours));
  EXPECT_FALSE(decode_picture(with32(two_colours, 46, 0xFFFFFFFF)));
}

// A JPEG written by libjpeg at the highest quality.
Bytes make_jpeg(int width, int height, int components, J_COLOR_SPACE space,
                const std::function<JSAMPLE(int, int, int)>& sample) {
  jpeg_compress_struct compress{};
  jpeg_error_mgr errors{};
  compress.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compress);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compress, &buffer, &size);
  compress.image_width = width;
  compress.image_height = height;
  compress.input_components = components;
  compress.in_color_space = space;
  jpeg_set_defaults(&compress);
  jpeg_set_quality(&compress, 100, TRUE);
  jpeg_start_compress(&compress, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width * components));
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < width * components; ++i) row[i] = sample(i / components, y, i % components);
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&compress, rows, 1);
  }
  jpeg_finish_compress(&compress);
  jpeg_destroy_compress(&compress);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

TEST(Jpeg, CorpusPicturesAreCloseToTheirSource) {
  const Bytes ppm = read_file(corpus("jpeg/testorig.ppm"));  // "P6\n227 149\n255\n" then the samples
  const size_t samples = ppm.size() - 227 * 149 * 3;
  for (const char* name : {"jpeg/testorig.jpg", "jpeg/testimgari.jpg", "jpeg/testimgint.jpg"}) {
    const std::optional<QImage> image = decode_picture_file(corpus(name));
    ASSERT_TRUE(image) << name;
    ASSERT_EQ(image->size(), QSize(227, 149));
    double error = 0;
    for (int y = 0; y < 149; ++y) {
      for (int x = 0; x < 227; ++x) {
        const uint8_t* source = &ppm[samples + (y * 227 + x) * 3];
        const QRgb pixel = image->pixel(x, y);
        error += std::abs(qRed(pixel) - source[0]) + std::abs(qGreen(pixel) - source[1]) +
                 std::abs(qBlue(pixel) - source[2]);
      }
    }
    EXPECT_LT(error / (227 * 149 * 3), 3.0) << name;
  }
  EXPECT_FALSE(decode_picture_file(corpus("jpeg/monkey12.jpg")));  // 12-bit samples: a library error
}

TEST(Jpeg, GreyAndColourPicturesKeepTheirValues) {
  const auto grey_sample = [](int x, int y, int) { return JSAMPLE((x * 8 + y * 3) % 256); };
  const std::optional<QImage> grey = decode_picture(make_jpeg(32, 16, 1, JCS_GRAYSCALE, grey_sample));
  ASSERT_TRUE(grey);
  ASSERT_EQ(grey->size(), QSize(32, 16));
  // Flat blocks of saturated colours show whether red and blue are swapped.
  const QRgb blocks[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(250, 200, 20)};
  const auto colour_sample = [&](int x, int, int c) {
    const QRgb colour = blocks[x / 16];
    return JSAMPLE(c == 0 ? qRed(colour) : c == 1 ? qGreen(colour) : qBlue(colour));
  };
  const std::optional<QImage> colour = decode_picture(make_jpeg(64, 16, 3, JCS_RGB, colour_sample));
  ASSERT_TRUE(colour);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) {
      const QRgb pixel = grey->pixel(x, y);
      ASSERT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << x << "," << y;
      EXPECT_NEAR(qRed(pixel), grey_sample(x, y, 0), 2);
    }
    for (int block = 0; block < 4; ++block) {
      const QRgb got = colour->pixel(block * 16 + 8, y);
      EXPECT_NEAR(qRed(got), qRed(blocks[block]), 8) << block;
      EXPECT_NEAR(qGreen(got), qGreen(blocks[block]), 8) << block;
      EXPECT_NEAR(qBlue(got), qBlue(blocks[block]), 8) << block;
    }
  }
}

TEST(Jpeg, CmykDamagedAndHostileFilesFail) {
  EXPECT_FALSE(decode_picture(make_jpeg(16, 16, 4, JCS_CMYK, [](int x, int, int c) { return JSAMPLE(x * 16 + c); })));
  const Bytes good =
      make_jpeg(24, 8, 3, JCS_RGB, [](int x, int y, int c) { return JSAMPLE(x * 10 + y * 20 + c * 50); });
  expect_prefixes_survive(good, QSize(24, 8));
  EXPECT_FALSE(decode_picture(std::span(good.data(), 100)));  // cut inside the markers
  Bytes garbage{0xFF, 0xD8};
  garbage.resize(64, 0x5A);
  EXPECT_FALSE(decode_picture(garbage));
  // A frame header asking for 65535 x 65535 pixels.
  Bytes huge = good;
  const uint8_t frame_marker[] = {0xFF, 0xC0};
  const auto frame = std::search(huge.begin(), huge.end(), std::begin(frame_marker), std::end(frame_marker));
  ASSERT_NE(frame, huge.end());
  std::fill_n(frame + 5, 4, 0xFF);
  EXPECT_FALSE(decode_picture(huge));
}

struct IconImage {
  uint8_t width_byte = 0;
  uint8_t colour_byte = 0;
  Bytes data;
};

Bytes make_icon(uint16_t type, const std::vector<IconImage>& images) {
  Bytes out;
  for (uint32_t field : {0u, uint32_t{type}, uint32_t(images.size())}) put16(out, field);
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const IconImage& image : images) {
    out.insert(out.end(), {image.width_byte, image.width_byte, image.colour_byte, 0});
    for (uint32_t field : {1u, 32u}) put16(out, field);
    for (uint32_t field : {uint32_t(image.data.size()), offset}) put32(out, field);
    offset += static_cast<uint32_t>(image.data.size());
  }
  for (const IconImage& image : images) out.insert(out.end(), image.data.begin(), image.data.end());
  return out;
}

// An icon bitmap: the header's height counts the colour rows and the mask rows.
Bytes icon_bitmap(int size, unsigned bits, const std::vector<QRgb>& table, const PixelSource& pixel,
                  const std::function<bool(int, int)>& masked) {
  Bytes out = info_header(size, size * 2, bits, 0, bits <= 8 ? static_cast<uint32_t>(table.size()) : 0);
  if (bits <= 8) put_table(out, table);
  put_dib_rows(out, size, size, bits, pixel);
  put_dib_rows(out, size, size, 1, [&](int x, int row) { return uint32_t(masked(x, row)); });
  return out;
}

QRgb over_white(QRgb colour, int alpha) {
  auto channel = [alpha](int value) { return int(std::lround((value * alpha + 255.0 * (255 - alpha)) / 255.0)); };
  return qRgb(channel(qRed(colour)), channel(qGreen(colour)), channel(qBlue(colour)));
}

TEST(Icon, TrueColourIconShowsItsLastImageBlendedOnWhite) {
  std::vector<IconImage> images;
  const uint32_t alphas[] = {0xFF, 0x00, 0x80, 0x40};
  for (int size : {16, 32, 48, 64}) {
    const PixelSource pixel = [&](int x, int row) {
      return alphas[(x + row) % 4] << 24 | uint32_t(size * 3) << 16 | 0x40A0;
    };
    images.push_back({uint8_t(size), 0, icon_bitmap(size, 32, {}, pixel, [](int, int) { return true; })});
  }
  const std::optional<QImage> image = decode_picture(make_icon(1, images));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->size(), QSize(64, 64));
  for (int row = 0; row < 64; ++row) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(image->pixel(x, 63 - row), over_white(qRgb(192, 0x40, 0xA0), int(alphas[(x + row) % 4])))
          << x << "," << row;
    }
  }
}

TEST(Icon, ThirtyTwoPixelImageOfSixteenColoursIsChosenFirst) {
  const auto all = [](int, int) { return 0u; };
  const auto none = [](int, int) { return false; };
  const std::vector<QRgb> table = distinct_colours(16);
  const Bytes small = icon_bitmap(16, 8, distinct_colours(256), all, none);
  const Bytes chosen = icon_bitmap(
      32, 4, table, [](int x, int) { return uint32_t(x % 16); }, none);
  const Bytes large = icon_bitmap(
      48, 24, {}, [](int, int) { return 0x123456u; }, none);
  std::optional<QImage> image = decode_picture(make_icon(1, {{16, 0, small}, {32, 16, chosen}, {48, 0, large}}));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->size(), QSize(32, 32));
  EXPECT_EQ(image->pixel(5, 9), table[5]);
  // Fifteen colours do not count: the last image is taken.
  image = decode_picture(make_icon(2, {{16, 0, small}, {32, 15, chosen}, {48, 0, large}}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), QSize(48, 48));
}

TEST(Icon, MaskedPixelsShowTheWhiteBackground) {
  const std::vector<QRgb> table = {qRgb(0, 0, 0), qRgb(200, 30, 60)};
  const auto masked = [](int x, int row) { return x < row; };
  for (unsigned bits : {1u, 4u, 8u, 24u, 32u}) {
    // Masked pixels are black, the others the second colour; 32 bits with no
    // alpha at all fall back on the mask.
    const PixelSource pixel = [&](int x, int row) {
      return bits >= 24 ? (masked(x, row) ? 0 : table[1] & 0xFFFFFF) : !masked(x, row);
    };
    const std::optional<QImage> image =
        decode_picture(make_icon(1, {{32, 0, icon_bitmap(32, bits, table, pixel, masked)}}));
    ASSERT_TRUE(image) << bits;
    for (int row = 0; row < 32; ++row) {
      for (int x = 0; x < 32; ++x) {
        ASSERT_EQ(image->pixel(x, 31 - row), masked(x, row) ? qRgb(255, 255, 255) : table[1])
            << bits << ": " << x << "," << row;
      }
    }
  }
}

TEST(Icon, PngEntriesAndQtWrittenIconsDecode) {
  QImage source(20, 12, QImage::Format_ARGB32);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) source.setPixel(x, y, qRgba(x * 12, y * 20, 90, (x * 13 + y * 7) % 256));
  }
  QImage expected(20, 12, QImage::Format_RGB32);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) expected.setPixel(x, y, over_white(source.pixel(x, y), qAlpha(source.pixel(x, y))));
  }
  for (const char* format : {"PNG", "ICO"}) {
    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(source.save(&buffer, format)) << format;
    Bytes bytes(written.begin(), written.end());
    if (std::string(format) == "PNG") bytes = make_icon(1, {{0, 0, bytes}});
    const std::optional<QImage> image = decode_picture(bytes);
    ASSERT_TRUE(image) << format;
    EXPECT_TRUE(*image == expected) << format;
  }
}

TEST(Icon, DamagedAndHostileFilesFail) {
  const Bytes bitmap = icon_bitmap(
      8, 8, distinct_colours(256), [](int x, int) { return x; }, [](int, int) { return false; });
  const Bytes good = make_icon(1, {{8, 0, bitmap}});
  expect_prefixes_survive(good, QSize(8, 8));
  const std::vector<std::pair<size_t, uint32_t>> hostile = {
      {4, 0x0800FFFF},        // 65535 entries (width byte 8 kept): the directory runs past the end
      {6 + 8, 0xFFFFFFF0},    // image size
      {6 + 12, 0xFFFFFFF0},   // image offset
      {22 + 4, 0x7FFFFFFF},   // bitmap width
      {22 + 8, 0xFFFFFFF0},   // negative height
      {22 + 12, 0x00100001},  // 16 bits per pixel
      {22 + 16, 1},           // run-length compression
      {22 + 32, 0xFFFFFFFF},  // colours used
      {22, 0xFFFFFFFF},       // header size
  };
  for (const auto& [field, value] : hostile) EXPECT_FALSE(decode_picture(with32(good, field, value))) << field;
}

// A GIF of four colours whose LZW data uses literal codes only, with a clear
// code after every two so that the code width stays at 3 bits.
struct GifFrame {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;
  int transparent = -1;
};

Bytes make_gif(const char* signature, const std::vector<QRgb>& palette, const std::vector<GifFrame>& frames) {
  Bytes out(signature, signature + 6);
  put16(out, frames[0].width);
  put16(out, frames[0].height);
  out.insert(out.end(), {0x91, 0, 0});
  for (QRgb colour : palette) {
    out.insert(out.end(), {uint8_t(qRed(colour)), uint8_t(qGreen(colour)), uint8_t(qBlue(colour))});
  }
  for (const GifFrame& frame : frames) {
    if (frame.transparent >= 0) out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, uint8_t(frame.transparent), 0});
    out.push_back(0x2C);
    for (int field : {0, 0, frame.width, frame.height}) put16(out, field);
    out.insert(out.end(), {0, 2});
    Bytes packed;
    uint32_t bits = 0, count = 0;
    auto code = [&](uint32_t value) {
      bits |= value << count;
      for (count += 3; count >= 8; count -= 8, bits >>= 8) packed.push_back(uint8_t(bits));
    };
    for (size_t i = 0; i < frame.indices.size(); ++i) {
      if (i % 2 == 0) code(4);
      code(frame.indices[i]);
    }
    code(5);
    if (count > 0) packed.push_back(uint8_t(bits));
    for (size_t at = 0; at < packed.size(); at += 255) {
      const size_t length = std::min<size_t>(255, packed.size() - at);
      out.push_back(uint8_t(length));
      out.insert(out.end(), packed.begin() + at, packed.begin() + at + length);
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

TEST(Gif, FirstImageWithTransparencyOnWhite) {
  const std::vector<QRgb> palette = {qRgb(10, 20, 30), qRgb(250, 0, 0), qRgb(0, 250, 0), qRgb(0, 0, 250)};
  GifFrame first{7, 3, {}, 2};
  for (int i = 0; i < 21; ++i) first.indices.push_back(uint8_t(i * 5 % 4));
  const GifFrame second{7, 3, std::vector<uint8_t>(21, 3)};
  for (const char* signature : {"GIF87a", "GIF89a"}) {
    const Bytes bytes = make_gif(signature, palette, {first, second});
    const std::optional<QImage> image = decode_picture(bytes);
    ASSERT_TRUE(image) << signature;
    ASSERT_EQ(image->size(), QSize(7, 3));
    for (int i = 0; i < 21; ++i) {
      const QRgb expected = first.indices[i] == 2 ? qRgb(255, 255, 255) : palette[first.indices[i]];
      EXPECT_EQ(image->pixel(i % 7, i / 7), expected) << signature << " pixel " << i;
    }
    EXPECT_FALSE(decode_picture(std::span(bytes.data(), 20))) << signature;
  }
}

Bytes pcx_header(uint8_t version, uint8_t bits, int width, int height, int bytes_per_line, uint8_t planes = 1) {
  Bytes out{10, version, 1, bits};
  for (int field : {0, 0, width - 1, height - 1, 72, 72}) put16(out, field);
  out.resize(65, 0);
  out.push_back(planes);
  put16(out, bytes_per_line);
  out.resize(128, 0);
  return out;
}

// Run-length codes for the bytes, runs crossing rows; single bytes that look
// like run codes are written as runs of one.
Bytes pcx_runs(const Bytes& raw) {
  Bytes out;
  for (size_t at = 0; at < raw.size();) {
    size_t run = 1;
    while (at + run < raw.size() && raw[at + run] == raw[at] && run < 63) ++run;
    if (run > 1 || raw[at] >= 0xC0) out.push_back(uint8_t(0xC0 | run));
    out.push_back(raw[at]);
    at += run;
  }
  return out;
}

Bytes make_pcx8(const Bytes& header, const Bytes& runs) {
  Bytes out = header;
  out.insert(out.end(), runs.begin(), runs.end());
  out.push_back(12);
  out.resize(out.size() + 768, 0x40);
  return out;
}

TEST(Pcx, EightAndOneBitPictures) {
  // 45 pixels in rows of 46 bytes; the first run of 50 carries into the second row.
  Bytes raw;
  for (int i = 0; i < 46 * 3; ++i) raw.push_back(i < 50 ? 0xC7 : uint8_t(i * 29));
  Bytes pcx8 = make_pcx8(pcx_header(5, 8, 45, 3, 46), pcx_runs(raw));
  for (size_t i = 0; i < 768; ++i) pcx8[pcx8.size() - 768 + i] = uint8_t(i * 7 + 3);
  std::optional<QImage> image = decode_picture(pcx8);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->size(), QSize(45, 3));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 45; ++x) {
      const int entry = raw[y * 46 + x] * 3;
      EXPECT_EQ(image->pixel(x, y), qRgb(uint8_t(entry * 7 + 3), uint8_t(entry * 7 + 10), uint8_t(entry * 7 + 17)));
    }
  }
  expect_prefixes_survive(pcx8, QSize(45, 3));

  const Bytes bits = {0b10110000, 0b01000000, 0x00, 0x00, 0xFF, 0xC0, 0x00, 0x00};  // 10 pixels, 4 bytes a row
  Bytes pcx1 = pcx_header(3, 1, 10, 2, 4);
  const Bytes bit_runs = pcx_runs(bits);
  pcx1.insert(pcx1.end(), bit_runs.begin(), bit_runs.end());
  image = decode_picture(pcx1);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->size(), QSize(10, 2));
  for (int x = 0; x < 10; ++x) {
    const bool set = (bits[x / 8] >> (7 - x % 8)) & 1;
    EXPECT_EQ(image->pixel(x, 0), set ? qRgb(255, 255, 255) : qRgb(0, 0, 0)) << x;
    EXPECT_EQ(image->pixel(x, 1), qRgb(255, 255, 255)) << x;
  }
  expect_prefixes_survive(pcx1, QSize(10, 2));
}

TEST(Pcx, DamagedAndHostileFilesFail) {
  const Bytes good = make_pcx8(pcx_header(5, 8, 4, 2, 4), {0xC8, 0x11});
  ASSERT_TRUE(decode_picture(good));
  auto changed = [&](size_t at, std::initializer_list<uint8_t> values) {
    Bytes bytes = good;
    std::copy(values.begin(), values.end(), bytes.begin() + at);
    return bytes;
  };
  EXPECT_FALSE(decode_picture(changed(good.size() - 769, {11})));      // no palette marker
  EXPECT_FALSE(decode_picture(changed(128, {0xC7})));                  // one byte too few
  EXPECT_FALSE(decode_picture(changed(66, {3, 0})));                   // rows shorter than the width
  EXPECT_FALSE(decode_picture(changed(65, {3})));                      // three planes
  EXPECT_FALSE(decode_picture(changed(4, {9, 0})));                    // x minimum beyond x maximum
  EXPECT_FALSE(decode_picture(changed(8, {0xFF, 0xFF, 0xFF, 0xFF})));  // 65536 x 65536
  // Within the size bounds, but two bytes of runs for 8192 rows of 8192.
  EXPECT_FALSE(decode_picture(make_pcx8(pcx_header(5, 8, 8192, 8192, 8192), {0xFF, 0x11})));
}

}  // namespace
}  // namespace quorvant::ui::pictures

int main(int argc, char** argv) {
  // Test discovery runs this program without the test environment.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
