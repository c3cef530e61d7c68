// Photos through the command line as phones, cameras and editors write
// them, judged by independent tools: ImageMagick for how a picture is
// shown, exiftool for its metadata. The pictures are made here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace quorvant::testing {
namespace {

struct Photos : ::testing::Test {
  TempFolder folder;

  std::string in(const std::string& name) const { return folder.file(name); }
  std::string out(const std::string& name) const { return folder.file("out/" + name); }

  // Runs quorvant-convert on `inputs` into out/, quietly; its status.
  int convert(const std::string& arguments, const std::string& inputs) const {
    return run_command(shell_quote(QUORVANT_CONVERT) + " -q --overwrite -o " + shell_quote(folder.file("out")) + " " +
                       arguments + " " + inputs + " 2>&1")
        .status;
  }
  static void make(const std::string& command) {
    const CommandResult made = run_command(command + " 2>&1");
    ASSERT_EQ(made.status, 0) << command << ": " << made.out;
  }
  // One EXIF tag as exiftool reads it (-n: numbers as stored); empty when
  // the file has none.
  static std::string tag(const std::string& path, const std::string& name) {
    std::string value = run_command("exiftool -s3 -n -" + name + " " + shell_quote(path)).out;
    while (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
  // The pixels ImageMagick shows for `path` (after `operations`), as RGB.
  static std::vector<uint8_t> shown(const std::string& path, const std::string& operations = "") {
    return run_tool("convert " + shell_quote(path) + " " + operations + " -depth 8 rgb:-");
  }
  static std::string size_of(const std::string& path) {
    return run_command("identify -format %wx%h " + shell_quote(path)).out;
  }
};

// A JPEG of each of the eight orientations comes out as ImageMagick's
// -auto-orient shows it, to the pixel on a lossless target; --orientation
// keep writes the pixels as stored and keeps the tag.
TEST_F(Photos, JpegsComeOutUprightUnlessTheTagIsKept) {
  // Not square, with a mark in one corner, so that each turn and mirror
  // gives a different picture.
  make("convert -size 40x24 gradient:red-blue -fill green -draw 'rectangle 0,0 9,5' " + in("base.png"));
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const std::string name = "o" + std::to_string(orientation) + ".jpg";
    make("convert " + in("base.png") + " -quality 95 " + in(name));
    make("exiftool -q -overwrite_original -n -Orientation=" + std::to_string(orientation) + " " + in(name));
  }
  ASSERT_EQ(convert("--to png", in("o*.jpg")), 0);
  ASSERT_EQ(convert("--to jpg", in("o*.jpg")), 0);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const std::string stem = "o" + std::to_string(orientation);
    SCOPED_TRACE(stem);
    EXPECT_EQ(size_of(out(stem + ".png")), orientation >= 5 ? "24x40" : "40x24");
    EXPECT_EQ(shown(out(stem + ".png")), shown(in(stem + ".jpg"), "-auto-orient"));
    EXPECT_EQ(tag(out(stem + ".jpg"), "Orientation"), "1") << "the written tag says upright";
  }

  ASSERT_EQ(convert("--to jpg --orientation keep", in("o6.jpg")), 0);
  EXPECT_EQ(size_of(out("o6.jpg")), "40x24") << "as stored";
  EXPECT_EQ(tag(out("o6.jpg"), "Orientation"), "6") << "the tag kept, so viewers turn it";
}

// EXIF and XMP are carried into JPG with the Orientation reset; GPS goes
// with --strip-location, all of it with --strip.
TEST_F(Photos, MetadataIsCarriedUnlessStripped) {
  make("convert -size 32x16 gradient:white-black -quality 90 " + in("camera.jpg"));
  make("exiftool -q -overwrite_original -n -Orientation=6 -Make=Quorvantcam -Model=Q1 "
       "-DateTimeOriginal='2026:05:04 10:11:12' -GPSLatitude=48.85 -GPSLatitudeRef=N -GPSLongitude=2.35 "
       "-GPSLongitudeRef=E -XMP-dc:Title=Harbour " +
       in("camera.jpg"));
  struct Case {
    const char* options;
    bool metadata;
    bool location;
  };
  const Case cases[] = {
      {"", true, true},
      {"--strip-location", true, false},
      {"--strip", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_EQ(convert(std::string("--to jpg ") + c.options, in("camera.jpg")), 0);
    const std::string written = out("camera.jpg");
    EXPECT_EQ(tag(written, "Make"), c.metadata ? "Quorvantcam" : "");
    EXPECT_EQ(tag(written, "DateTimeOriginal"), c.metadata ? "2026:05:04 10:11:12" : "");
    EXPECT_EQ(tag(written, "Title"), c.metadata ? "Harbour" : "") << "XMP";
    EXPECT_EQ(tag(written, "Orientation"), c.metadata ? "1" : "");
    EXPECT_EQ(tag(written, "GPSLatitude").empty(), !c.location);
    EXPECT_EQ(size_of(written), "16x32") << "turned upright whatever is kept";
  }
}

// Transparency is kept where the target holds it, and elsewhere the picture
// is put over the background: never the colour stored under a transparent
// pixel.
TEST_F(Photos, TransparencyIsKeptOrPutOverTheBackground) {
  // Left: opaque red; right: fully transparent pixels whose stored colour
  // is green, which must never show.
  make("convert -size 4x4 xc:red -size 4x4 xc:'rgba(0,255,0,0)' +append PNG32:" + in("sticker.png"));
  ASSERT_EQ(shown(in("sticker.png"), "-alpha off -crop 1x1+6+1"), (std::vector<uint8_t>{0, 255, 0}));
  ASSERT_EQ(convert("--to png", in("sticker.png")), 0);
  EXPECT_EQ(run_command("identify -format '%[channels]' " + shell_quote(out("sticker.png"))).out, "srgba")
      << "the PNG has an alpha channel";
  EXPECT_EQ(shown(out("sticker.png"), "-background blue -flatten -crop 1x1+6+1"),
            (std::vector<uint8_t>{0, 0, 255}))
      << "the transparent pixel stays transparent";

  struct Case {
    const char* options;
    std::vector<uint8_t> right;
  };
  const Case cases[] = {{"", {255, 255, 255}}, {"--background black", {0, 0, 0}}, {"--background '#336699'", {51, 102, 153}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_EQ(convert(std::string("--to bmp ") + c.options, in("sticker.png")), 0);
    EXPECT_EQ(shown(out("sticker.bmp"), "-crop 1x1+6+1"), c.right);
    EXPECT_EQ(shown(out("sticker.bmp"), "-crop 1x1+1+1"), (std::vector<uint8_t>{255, 0, 0}));
  }
  EXPECT_EQ(convert("--to bmp --background pink", in("sticker.png")), 2) << "not a colour";
}

}  // namespace
}  // namespace quorvant::testing
