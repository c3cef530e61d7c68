// The window icon's directory and images, read back by ImageMagick.
#include <gtest/gtest.h>

#include "forms/artwork/artwork.h"
#include "tests/skinned_art/art_readers.h"

namespace quorvant::testing {
namespace {

constexpr int kSizes[] = {16, 32, 48, 64};

uint32_t mask_stride(int size) { return (static_cast<uint32_t>(size) + 31) / 32 * 4; }

TEST(WindowIcon, DirectoryListsFourThirtyTwoBitImagesBackToBack) {
  const std::vector<uint8_t> icon = forms::artwork::window_icon();
  ASSERT_GE(icon.size(), 70u);
  EXPECT_EQ(le16_at(icon, 0), 0u);
  EXPECT_EQ(le16_at(icon, 2), 1u);
  ASSERT_EQ(le16_at(icon, 4), 4u);
  uint32_t next = 6 + 4 * 16;
  for (int i = 0; i < 4; ++i) {
    const int size = kSizes[i];
    SCOPED_TRACE(size);
    const size_t entry = 6 + 16 * static_cast<size_t>(i);
    EXPECT_EQ(icon[entry], size);
    EXPECT_EQ(icon[entry + 1], size);
    EXPECT_EQ(icon[entry + 2], 0) << "no colour table";
    EXPECT_EQ(le16_at(icon, entry + 4), 1u);
    EXPECT_EQ(le16_at(icon, entry + 6), 32u);
    const uint32_t bytes = le32_at(icon, entry + 8);
    const uint32_t offset = le32_at(icon, entry + 12);
    EXPECT_EQ(offset, next);
    EXPECT_EQ(bytes, 40 + static_cast<uint32_t>(size * size * 4) + mask_stride(size) * static_cast<uint32_t>(size));
    next = offset + bytes;
    ASSERT_LE(next, icon.size());
    EXPECT_EQ(le32_at(icon, offset), 40u);
    EXPECT_EQ(le32_at(icon, offset + 4), static_cast<uint32_t>(size));
    EXPECT_EQ(le32_at(icon, offset + 8), static_cast<uint32_t>(2 * size)) << "colour rows and mask rows";
    EXPECT_EQ(le16_at(icon, offset + 14), 32u);
    EXPECT_EQ(le32_at(icon, offset + 16), 0u);
  }
  EXPECT_EQ(next, icon.size());
  EXPECT_EQ(icon.size(), 32038u);
  EXPECT_EQ(icon, forms::artwork::window_icon()) << "the same bytes every time";
}

TEST(WindowIcon, ImageMagickReadsEachImageAsStoredWithItsMask) {
  const std::vector<uint8_t> icon = forms::artwork::window_icon();
  EXPECT_EQ(identify(icon, "ico", "%w %h %A;"), "16 16 True;32 32 True;48 48 True;64 64 True;");
  for (int i = 0; i < 4; ++i) {
    const int size = kSizes[i];
    SCOPED_TRACE(size);
    const std::vector<uint8_t> rgba = imagemagick_rgba(icon, "ico", i);
    ASSERT_EQ(rgba.size(), static_cast<size_t>(size * size * 4));
    const size_t offset = le32_at(icon, 6 + 16 * static_cast<size_t>(i) + 12);
    const size_t mask = offset + 40 + static_cast<size_t>(size * size * 4);
    int partly_transparent = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        // Stored rows run bottom-up, pixels blue, green, red, alpha.
        const size_t stored = offset + 40 + (static_cast<size_t>(size - 1 - y) * size + x) * 4;
        const size_t decoded = (static_cast<size_t>(y) * size + x) * 4;
        const int alpha = icon[stored + 3];
        ASSERT_EQ(rgba[decoded + 3], alpha) << x << "," << y;
        if (alpha > 0) {
          ASSERT_EQ(rgba[decoded], icon[stored + 2]) << x << "," << y;
          ASSERT_EQ(rgba[decoded + 1], icon[stored + 1]);
          ASSERT_EQ(rgba[decoded + 2], icon[stored]);
        }
        if (alpha > 0 && alpha < 255) ++partly_transparent;
        const size_t mask_byte = mask + static_cast<size_t>(size - 1 - y) * mask_stride(size) + x / 8;
        const bool masked = (icon[mask_byte] >> (7 - x % 8)) & 1;
        ASSERT_EQ(masked, alpha == 0) << x << "," << y;
      }
    }
    // A rounded tile: clear corners, a solid middle, soft edges.
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[(static_cast<size_t>(size / 2) * size + size / 2) * 4 + 3], 255);
    EXPECT_GT(partly_transparent, 0);
  }
}

}  // namespace
}  // namespace quorvant::testing
