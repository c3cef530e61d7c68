#include "engine/image_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "engine/colour.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::make_rgb_picture;
using testing::ScratchFolder;

TEST(ColourCode, KeepsTopFiveBitsOneBitHigherThanFiveFiveFive) {
  EXPECT_EQ(colour_code(255, 255, 255), 0xFFFE);
  EXPECT_EQ(decode_colour_code(0xFFFE), (Rgb{248, 248, 248}));
  EXPECT_EQ(colour_code(0xF8, 0, 0), 0xF800);
  EXPECT_EQ(colour_code(0, 0xF8, 0), 0x07C0);
  EXPECT_EQ(colour_code(0, 0, 0xF8), 0x003E);
  // Low three bits of each channel are dropped.
  EXPECT_EQ(colour_code(0x17, 0x2F, 0x47), colour_code(0x10, 0x28, 0x40));
  for (int code = 0; code < 65536; code += 2) {
    const Rgb c = decode_colour_code(static_cast<uint16_t>(code));
    ASSERT_EQ(colour_code(c.red, c.green, c.blue), code);
  }
}

TEST(GreyLevel, UsesWeightsThatSumTo1024) {
  EXPECT_EQ(grey_level(255, 255, 255), 255);
  EXPECT_EQ(grey_level(0, 0, 255), 29);
  EXPECT_EQ(grey_level(255, 0, 0), 76);
  EXPECT_EQ(grey_level(0, 255, 0), 149);
  EXPECT_EQ(grey_level(10, 20, 30), (306 * 10 + 601 * 20 + 117 * 30) >> 10);
}

TEST(ImageBufferCreate, RejectsBadSizesAndDepthsAndStaysEmpty) {
  ScratchFolder scratch;
  ImageBuffer picture;
  ASSERT_TRUE(picture.create(2, 2, 24, 0));
  EXPECT_FALSE(picture.create(0, 5, 24, 0));
  EXPECT_TRUE(picture.empty());
  EXPECT_FALSE(picture.create(5, 0, 24, 0));
  EXPECT_FALSE(picture.create(-1, 5, 24, 0));
  EXPECT_FALSE(picture.create(5, 5, 12, 0));
  EXPECT_FALSE(picture.create(5, 5, 8, -1));
  EXPECT_FALSE(picture.create(5, 5, 8, INT32_MAX)) << "a hostile palette count is refused, not allocated";
  EXPECT_EQ(picture.width(), 0);
  EXPECT_EQ(picture.bits(), 0u);
  EXPECT_TRUE(scratch.files().empty()) << "a failed create keeps no temporary file";
}

TEST(ImageBufferCreate, DeclinesPicturesBeyondThe32BitLimit) {
  ScratchFolder scratch;
  ImageBuffer picture;
  EXPECT_FALSE(picture.create(65536, 65536, 8, 0));  // exactly 2^32 bytes
  EXPECT_FALSE(picture.create(INT32_MAX, INT32_MAX, 32, 0));
  EXPECT_EQ(checked_pixel_bytes(65535, 65537, 8), 65535ull * 65537ull);
  EXPECT_EQ(checked_pixel_bytes(65536, 65536, 8), 0u);
  EXPECT_TRUE(scratch.files().empty());
}

TEST(ImageBufferCreate, GivesZeroedPixelsAndPaletteOnlyForEightBits) {
  ScratchFolder scratch;
  ImageBuffer picture;
  ASSERT_TRUE(picture.create(3, 2, 16, 7));
  EXPECT_EQ(picture.palette_count(), 0);
  EXPECT_EQ(picture.stride(), 6u);
  ASSERT_TRUE(picture.create(3, 2, 8, 7));
  EXPECT_EQ(picture.palette_count(), 7);
  EXPECT_EQ(picture.palette().size(), 7u);
  for (size_t i = 0; i < picture.pixel_bytes(); ++i) EXPECT_EQ(picture.pixels()[i], 0);
}

TEST(ImageBufferStorage, LivesInAPrivateTemporaryFileWhoseNameIsGoneAtOnce) {
  ScratchFolder scratch;
  ImageBuffer picture;
  ASSERT_TRUE(picture.create(10, 10, 32, 0));
  EXPECT_EQ(picture.storage().name(), scratch.path() + "/CSWCLASS0.tmp");
  EXPECT_EQ(picture.storage().size(), 400u);
  EXPECT_TRUE(scratch.files().empty());
  ASSERT_TRUE(picture.create(1, 1, 24, 0));
  picture.clear();
  EXPECT_TRUE(picture.storage().empty());
}

TEST(ImageBufferStorage, SaysWhyAPictureCannotBeMade) {
  ScratchFolder scratch;
  ImageBuffer picture;
  EXPECT_FALSE(picture.create(65536, 65536, 24, 0));
  EXPECT_EQ(picture.failure(), "65536 x 65536 pixels at 24 bits need more than 4 GiB");
  EXPECT_FALSE(picture.create(0, 5, 24, 0));
  EXPECT_FALSE(picture.failure().empty());
  ::setenv("TMPDIR", (scratch.path() + "/gone").c_str(), 1);
  EXPECT_FALSE(picture.create(4, 4, 24, 0));
  EXPECT_EQ(picture.failure(), "cannot make scratch space in " + scratch.path() + "/gone: No such file or directory");
}

TEST(ImageBufferCopy, CopiesPixelsAndPalette) {
  ScratchFolder scratch;
  ImageBuffer source;
  ASSERT_TRUE(source.create(3, 1, 8, 2));
  source.palette()[0] = {1, 2, 3, 0, 0};
  source.palette()[1] = {4, 5, 6, 0, 0};
  source.pixels()[0] = 1;
  source.pixels()[2] = 1;
  ImageBuffer copy;
  ASSERT_TRUE(copy.copy_from(source));
  EXPECT_EQ(copy.palette_count(), 2);
  EXPECT_EQ(copy.palette()[1].blue, 6);
  EXPECT_EQ(copy.pixels()[0], 1);
  EXPECT_EQ(copy.pixels()[1], 0);
  EXPECT_NE(copy.pixels(), source.pixels());

  ImageBuffer empty;
  EXPECT_FALSE(copy.copy_from(empty));
}

TEST(ImageBufferConvert, OnePixelBetweenEveryPairOfDepths) {
  ScratchFolder scratch;
  const Rgb colour{200, 100, 50};
  ImageBuffer rgb = make_rgb_picture(1, 1, [&](int, int) { return colour; });
  const uint16_t code = colour_code(200, 100, 50);
  const Rgb quantised = decode_colour_code(code);
  const uint8_t grey = grey_level(200, 100, 50);

  ImageBuffer to32, to16, to8, back;
  ASSERT_TRUE(rgb.convert(to32, 32, 0));
  EXPECT_EQ(to32.pixels()[0], 255) << "conversions into 32 bits write alpha 255";
  EXPECT_EQ(to32.pixels()[1], 200);
  EXPECT_EQ(to32.pixels()[3], 50);

  ASSERT_TRUE(rgb.convert(to16, 16, 0));
  EXPECT_EQ(to16.pixels()[0] | to16.pixels()[1] << 8, code) << "16-bit words are little-endian";

  ASSERT_TRUE(rgb.convert(to8, 8, 0));
  EXPECT_EQ(to8.pixels()[0], grey);

  ASSERT_TRUE(to32.convert(back, 24, 0));
  EXPECT_EQ(testing::pixel_at(back, 0, 0), colour) << "alpha is dropped";
  ASSERT_TRUE(to16.convert(back, 24, 0));
  EXPECT_EQ(testing::pixel_at(back, 0, 0), quantised);
  ASSERT_TRUE(to8.convert(back, 32, 0));
  EXPECT_EQ(back.pixels()[1], grey);
  EXPECT_EQ(back.pixels()[3], grey);
  ASSERT_TRUE(to16.convert(back, 8, 0));
  EXPECT_EQ(back.pixels()[0], grey_level(quantised.red, quantised.green, quantised.blue));

  ImageBuffer palette;
  ASSERT_TRUE(to32.convert(palette, 8, 16));
  ASSERT_EQ(palette.palette_count(), 1);
  EXPECT_EQ(palette.pixels()[0], 0);
  EXPECT_EQ(palette.palette()[0].red, quantised.red);
  ASSERT_TRUE(palette.convert(back, 16, 0));
  EXPECT_EQ(back.pixels()[0] | back.pixels()[1] << 8, code);
}

TEST(ImageBufferConvert, SameFormIsCopiedAndSourceIsUntouched) {
  ScratchFolder scratch;
  ImageBuffer rgb = make_rgb_picture(5, 4, testing::gradient);
  ImageBuffer copy;
  ASSERT_TRUE(rgb.convert(copy, 24, 0));
  ASSERT_EQ(copy.pixel_bytes(), rgb.pixel_bytes());
  EXPECT_EQ(0, std::memcmp(copy.pixels(), rgb.pixels(), rgb.pixel_bytes()));
  EXPECT_FALSE(rgb.convert(copy, 12, 0));
  ImageBuffer empty;
  EXPECT_FALSE(empty.convert(copy, 24, 0));
}

TEST(ImageBufferConvert, PaletteIndexBeyondThePaletteReadsAsBlack) {
  ScratchFolder scratch;
  ImageBuffer indexed;
  ASSERT_TRUE(indexed.create(3, 1, 8, 2));
  indexed.palette()[0] = {10, 20, 30, 0, 0};
  indexed.palette()[1] = {40, 50, 60, 0, 0};
  indexed.pixels()[0] = 1;
  indexed.pixels()[1] = 2;    // no such entry
  indexed.pixels()[2] = 255;  // no such entry
  ImageBuffer rgb;
  ASSERT_TRUE(indexed.convert(rgb, 24, 0));
  EXPECT_EQ(testing::pixel_at(rgb, 0, 0), (Rgb{40, 50, 60}));
  EXPECT_EQ(testing::pixel_at(rgb, 1, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(testing::pixel_at(rgb, 2, 0), (Rgb{0, 0, 0}));
}

TEST(ImageBufferConvert, GreyFromPaletteUsesThePaletteColours) {
  ScratchFolder scratch;
  ImageBuffer indexed;
  ASSERT_TRUE(indexed.create(2, 1, 8, 256));
  indexed.palette()[7] = {0, 0, 255, 0, 0};
  indexed.pixels()[0] = 7;
  ImageBuffer grey;
  ASSERT_TRUE(indexed.convert(grey, 8, 0));
  EXPECT_EQ(grey.palette_count(), 0);
  EXPECT_EQ(grey.pixels()[0], 29);
}

// Quantisation ------------------------------------------------------------

// The colour each pixel of a quantised picture shows.
Rgb shown(const ImageBuffer& indexed, size_t i) {
  const PaletteEntry& e = indexed.palette()[indexed.pixels()[i]];
  return {e.red, e.green, e.blue};
}

TEST(Quantise, FewColoursKeepTheirOwnEntries) {
  ScratchFolder scratch;
  // Six distinct colour codes with different counts, fewer than allowed:
  // every pixel must find its own colour, including the lowest and highest
  // keys of the sorted palette.
  const Rgb colours[] = {{0, 0, 0}, {255, 255, 255}, {8, 16, 24}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
  ImageBuffer rgb = make_rgb_picture(21, 1, [&](int x, int) {
    return colours[x < 6 ? 0 : x < 11 ? 1 : x < 15 ? 2 : x < 18 ? 3 : x < 20 ? 4 : 5];
  });
  ImageBuffer indexed;
  ASSERT_TRUE(rgb.convert(indexed, 8, 256));
  EXPECT_EQ(indexed.palette_count(), 6) << "the palette has exactly D entries";
  for (size_t i = 1; i < 6; ++i) {
    EXPECT_LT(indexed.palette()[i - 1].sort_key, indexed.palette()[i].sort_key) << "sorted by blue, green, red";
  }
  for (const PaletteEntry& e : indexed.palette()) {
    EXPECT_EQ(e.extra, 255);
    EXPECT_EQ(e.sort_key, palette_sort_key(e.red, e.green, e.blue));
  }
  for (size_t i = 0; i < 21; ++i) {
    const Rgb c = testing::pixel_at(rgb, static_cast<int>(i), 0);
    EXPECT_EQ(shown(indexed, i), decode_colour_code(colour_code(c.red, c.green, c.blue))) << "pixel " << i;
  }
}

TEST(Quantise, ToOneColourKeepsTheMostFrequent) {
  ScratchFolder scratch;
  ImageBuffer rgb = make_rgb_picture(10, 1, [](int x, int) { return x < 7 ? Rgb{10, 200, 30} : Rgb{250, 0, 0}; });
  ImageBuffer indexed;
  ASSERT_TRUE(rgb.convert(indexed, 8, 1));
  ASSERT_EQ(indexed.palette_count(), 1);
  EXPECT_EQ(shown(indexed, 0), decode_colour_code(colour_code(10, 200, 30)));
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(indexed.pixels()[i], 0);
}

TEST(Quantise, ColoursDifferingInLowBitsShareOneEntry) {
  ScratchFolder scratch;
  ImageBuffer rgb = make_rgb_picture(2, 1, [](int x, int) { return x == 0 ? Rgb{64, 64, 64} : Rgb{71, 70, 69}; });
  ImageBuffer indexed;
  ASSERT_TRUE(rgb.convert(indexed, 8, 8));
  EXPECT_EQ(indexed.palette_count(), 1);
}

TEST(Quantise, DroppedColoursGoToTheNearestEntry) {
  ScratchFolder scratch;
  // Red is most frequent, then blue; dark red and pale blue do not fit.
  ImageBuffer rgb = make_rgb_picture(20, 1, [](int x, int) {
    if (x < 10) return Rgb{248, 0, 0};
    if (x < 16) return Rgb{0, 0, 248};
    if (x < 18) return Rgb{160, 0, 0};
    return Rgb{80, 80, 248};
  });
  ImageBuffer indexed;
  ASSERT_TRUE(rgb.convert(indexed, 8, 2));
  ASSERT_EQ(indexed.palette_count(), 2);
  EXPECT_EQ(shown(indexed, 16), (Rgb{248, 0, 0}));
  EXPECT_EQ(shown(indexed, 19), (Rgb{0, 0, 248}));
}

TEST(Quantise, PaletteHoldsTheMostFrequentCodes) {
  ScratchFolder scratch;
  // 40 colours whose counts follow their number, several of them equal: the
  // chosen entries must never be less frequent than a colour left out.
  std::map<uint16_t, int> counts;
  ImageBuffer rgb = make_rgb_picture(64, 64, [](int x, int y) {
    const int k = (x * 64 + y) % 40;
    return Rgb{static_cast<uint8_t>(k * 6), static_cast<uint8_t>(255 - k * 6), static_cast<uint8_t>((k % 5) * 50)};
  });
  for (size_t i = 0; i < rgb.pixel_count(); ++i) {
    const uint8_t* p = rgb.pixels() + 3 * i;
    ++counts[colour_code(p[0], p[1], p[2])];
  }
  ImageBuffer indexed;
  ASSERT_TRUE(rgb.convert(indexed, 8, 16));
  ASSERT_EQ(indexed.palette_count(), 16);
  std::set<uint16_t> chosen;
  for (const PaletteEntry& e : indexed.palette()) chosen.insert(colour_code(e.red, e.green, e.blue));
  ASSERT_EQ(chosen.size(), 16u) << "entries are distinct";
  int least_chosen = INT32_MAX;
  int most_dropped = 0;
  for (const auto& [code, count] : counts) {
    if (chosen.contains(code)) {
      least_chosen = std::min(least_chosen, count);
    } else {
      most_dropped = std::max(most_dropped, count);
    }
  }
  EXPECT_GE(least_chosen, most_dropped);
}

TEST(Quantise, PalettePictureIsCopiedWithItsOwnPalette) {
  ScratchFolder scratch;
  ImageBuffer indexed;
  ASSERT_TRUE(indexed.create(2, 2, 8, 200));
  indexed.palette()[199] = {9, 8, 7, 0, 0};
  indexed.pixels()[3] = 199;
  ImageBuffer copy;
  ASSERT_TRUE(indexed.convert(copy, 8, 16));
  EXPECT_EQ(copy.palette_count(), 200);
  EXPECT_EQ(copy.palette()[199].red, 9);
  EXPECT_EQ(copy.pixels()[3], 199);
}

TEST(Quantise, NeverNamesMoreEntriesThanAByteCanIndex) {
  ScratchFolder scratch;
  ImageBuffer rgb = make_rgb_picture(64, 64, [](int x, int y) {
    return Rgb{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), static_cast<uint8_t>((x + y) * 2)};
  });
  ImageBuffer indexed;
  ASSERT_TRUE(rgb.convert(indexed, 8, 1000));
  EXPECT_EQ(indexed.palette_count(), 256);
}

}  // namespace
}  // namespace quorvant::engine
