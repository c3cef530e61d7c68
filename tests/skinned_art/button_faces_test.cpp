// The title button and command button faces, read back by netpbm and
// ImageMagick.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <QImage>

#include "forms/artwork/artwork.h"
#include "forms/artwork/bmp_writer.h"
#include "tests/skinned_art/art_readers.h"

namespace quorvant::testing {
namespace {

using forms::artwork::FaceState;
using forms::artwork::SuperFace;
namespace artwork = forms::artwork;

constexpr FaceState kStates[] = {FaceState::kNormal, FaceState::kHover, FaceState::kPressed};
constexpr SuperFace kSuperFaces[] = {SuperFace::kOut, SuperFace::kIn, SuperFace::kDisabled};

struct TitleButton {
  const char* name;
  std::function<std::vector<uint8_t>(FaceState)> face;
  int width;
};
const TitleButton kTitleButtons[] = {{"close", artwork::close_button_face, 44},
                                     {"minimise", artwork::minimise_button_face, 27}};

// The three looks of a button, pairwise different.
void expect_all_different(const std::vector<std::vector<uint8_t>>& looks) {
  for (size_t i = 0; i < looks.size(); ++i) {
    for (size_t j = i + 1; j < looks.size(); ++j) EXPECT_NE(looks[i], looks[j]) << i << " and " << j;
  }
}

// Checks the headers a BMP reader relies on.
void expect_bmp_headers(const std::vector<uint8_t>& file, int width, int height, int bits) {
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(le32_at(file, 2), file.size());
  EXPECT_EQ(le32_at(file, 14), 40u);
  EXPECT_EQ(le32_at(file, 18), static_cast<uint32_t>(width));
  EXPECT_EQ(le32_at(file, 22), static_cast<uint32_t>(height));  // positive: bottom-up
  EXPECT_EQ(le16_at(file, 28), static_cast<uint32_t>(bits));
  EXPECT_EQ(le32_at(file, 30), 0u);
  const uint32_t colours = le32_at(file, 46);
  const uint32_t stride = (static_cast<uint32_t>(width * bits) + 31) / 32 * 4;
  EXPECT_EQ(le32_at(file, 10), 54 + 4 * colours);
  EXPECT_EQ(file.size(), 54 + 4 * colours + stride * static_cast<uint32_t>(height));
}

// Pixels that stand out from the plate, whose shade changes only from row
// to row: the button's mark.
struct Box {
  int left = 1000, top = 1000, right = -1, bottom = -1;
};
Box mark_box(const DecodedBmp& face) {
  Box box;
  for (int y = 0; y < face.pnm.height; ++y) {
    for (int x = 0; x < face.pnm.width; ++x) {
      if (std::abs(face.at(x, y).luma() - face.at(0, y).luma()) < 60) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
    }
  }
  return box;
}

TEST(TitleButtonFaces, AreTwentyFourBitFilesThatIndependentReadersDecode) {
  for (const TitleButton& button : kTitleButtons) {
    for (const FaceState state : kStates) {
      SCOPED_TRACE(button.name + std::to_string(static_cast<int>(state)));
      const std::vector<uint8_t> file = button.face(state);
      expect_bmp_headers(file, button.width, 18, 24);
      EXPECT_EQ(le32_at(file, 46), 0u);
      const DecodedBmp decoded = decode_bmp_with_netpbm(file);
      EXPECT_EQ(decoded.bits_per_pixel, 24);
      EXPECT_EQ(decoded.pnm.width, button.width);
      EXPECT_EQ(decoded.pnm.height, 18);
      const std::string seen = identify(file, "bmp", "%w %h %r");
      EXPECT_TRUE(seen.starts_with(std::to_string(button.width) + " 18 DirectClass ")) << seen;
      EXPECT_EQ(file, button.face(state)) << "the same bytes every time";
    }
  }
}

TEST(TitleButtonFaces, MarksAreCentredClearAndDifferByState) {
  for (const TitleButton& button : kTitleButtons) {
    SCOPED_TRACE(button.name);
    std::vector<std::vector<uint8_t>> looks;
    for (const FaceState state : kStates) {
      const DecodedBmp face = decode_bmp_with_netpbm(button.face(state));
      ASSERT_EQ(face.pnm.width, button.width);
      looks.push_back(face.pnm.samples);
      const Box box = mark_box(face);
      // Centred: as many plate columns left of the mark as right of it.
      EXPECT_NEAR(box.left, button.width - 1 - box.right, 1);
      EXPECT_NEAR((box.top + box.bottom) / 2.0, 8.5, 1.0);
      if (button.width == 44) {
        EXPECT_NEAR(box.right - box.left, box.bottom - box.top, 1) << "an x is as wide as it is high";
        EXPECT_GE(box.bottom - box.top, 6);
        // The two strokes mirror each other.
        for (int y = box.top; y <= box.bottom; ++y) {
          for (int x = box.left; x <= box.right; ++x) {
            EXPECT_NEAR(face.at(x, y).luma(), face.at(box.left + box.right - x, y).luma(), 12) << x << "," << y;
          }
        }
      } else {
        EXPECT_LE(box.bottom - box.top, 1) << "a bar is flat";
        EXPECT_GE(box.right - box.left, 6);
      }
      if (button.width == 44 && state == FaceState::kHover) {
        const Rgb plate = face.at(2, 9);
        EXPECT_GT(plate.r, plate.g + 100) << "close lights up red";
        EXPECT_GT(plate.r, plate.b + 100);
      }
      // At rest the face is the black of the window around its mark.
      if (state == FaceState::kNormal) {
        EXPECT_EQ(face.at(0, 0), Rgb{});
        EXPECT_EQ(face.at(button.width - 1, 17), Rgb{});
      }
    }
    expect_all_different(looks);
  }
}

TEST(SuperButtonFaces, AreEightBitPaletteFilesThatIndependentReadersDecode) {
  for (const SuperFace which : kSuperFaces) {
    SCOPED_TRACE(static_cast<int>(which));
    const std::vector<uint8_t> file = artwork::super_button_face(which);
    expect_bmp_headers(file, 98, 25, 8);
    const uint32_t colours = le32_at(file, 46);
    EXPECT_GE(colours, 2u);
    EXPECT_LE(colours, 256u);
    const size_t pixels = le32_at(file, 10);
    for (size_t at = pixels; at < file.size(); ++at) {
      if ((at - pixels) % 100 < 98) {
        ASSERT_LT(file[at], colours) << "index beyond the palette at " << at;
      }
    }
    const DecodedBmp decoded = decode_bmp_with_netpbm(file);
    EXPECT_EQ(decoded.bits_per_pixel, 8);
    EXPECT_EQ(decoded.pnm.width, 98);
    EXPECT_EQ(decoded.pnm.height, 25);
    const std::string seen = identify(file, "bmp", "%w %h %r");
    EXPECT_TRUE(seen.starts_with("98 25 PseudoClass ")) << seen;
  }
}

TEST(SuperButtonFaces, PlateCoversTheButtonOnATransparentSurround) {
  std::vector<std::vector<uint8_t>> looks;
  for (const SuperFace which : kSuperFaces) {
    SCOPED_TRACE(static_cast<int>(which));
    const DecodedBmp face = decode_bmp_with_netpbm(artwork::super_button_face(which));
    ASSERT_EQ(face.pnm.height, 25);
    looks.push_back(face.pnm.samples);
    // The top-left pixel is the transparent colour, and it is the panel's
    // grey so that the plate's soft edges blend into what surrounds them.
    const Rgb key = face.at(0, 0);
    EXPECT_EQ(key, (Rgb{212, 208, 200}));
    EXPECT_EQ(face.at(97, 0), key);
    EXPECT_EQ(face.at(0, 23), key);
    for (int x = 0; x < 98; ++x) EXPECT_EQ(face.at(x, 24), key) << "the row the button does not show";
    // No hole in the plate, and the caption's place is light enough for
    // black text.
    for (int y = 1; y < 23; ++y) {
      for (int x = 1; x < 97; ++x) ASSERT_NE(face.at(x, y), key) << x << "," << y;
    }
    for (int y = 4; y < 20; ++y) {
      for (int x = 8; x < 90; ++x) ASSERT_GT(face.at(x, y).luma(), 180) << x << "," << y;
    }
    // The border stands out from the panel.
    EXPECT_GT(std::abs(face.at(49, 0).luma() - key.luma()), 25);
    if (which == SuperFace::kDisabled) {
      const Rgb flat = face.at(49, 12);
      EXPECT_LE(std::max({flat.r, flat.g, flat.b}) - std::min({flat.r, flat.g, flat.b}), 10) << "grey";
      for (int y = 2; y < 22; ++y) EXPECT_EQ(face.at(49, y), flat) << "not shaded";
    }
    if (which == SuperFace::kIn) {
      EXPECT_GT(face.at(49, 12).b, face.at(49, 12).r) << "accented";
    }
  }
  expect_all_different(looks);
}

// A picture of many colours: the top-left colour stays exact and the rest
// land near their own colours.
TEST(EightBitEncoding, ReducesManyColoursToNearOnes) {
  QImage image(40, 30, QImage::Format_RGB32);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) image.setPixel(x, y, qRgb(x * 6 + 3, y * 8 + 1, (x * y) % 256));
  }
  const std::vector<uint8_t> file = artwork::encode_bmp8(image);
  EXPECT_LE(le32_at(file, 46), 256u);
  const DecodedBmp decoded = decode_bmp_with_netpbm(file);
  ASSERT_EQ(decoded.pnm.width, 40);
  EXPECT_EQ(decoded.at(0, 0), (Rgb{3, 1, 0}));
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const QRgb want = image.pixel(x, y);
      const Rgb got = decoded.at(x, y);
      EXPECT_NEAR(got.r, qRed(want), 26);
      EXPECT_NEAR(got.g, qGreen(want), 22);
      EXPECT_NEAR(got.b, qBlue(want), 26);
      if (x + y > 0) {
        EXPECT_NE(got, decoded.at(0, 0)) << "only the top-left colour is transparent";
      }
    }
  }
}

}  // namespace
}  // namespace quorvant::testing
