// AVIF and HEIC, read and written by the command line's engine: pixels as
// avifdec and heif-convert decode the same files, deeper samples rounded to
// 8 bits, rotation and mirroring applied, the notes the files carry, and
// the crafted bad files of tests/bad-files/avif and heic.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>

#include "engine/colour/profiles.h"
#include "engine/convert.h"
#include "engine/loader.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::read_bytes;
using testing::run_tool;
using testing::shell_quote;
using testing::TempFolder;
using testing::write_bytes;
using testing::as_rgba;
using testing::load_with_notes;
using testing::Loaded;
using testing::opaque;
using testing::psnr;

const std::string kMagick = "convert-im6.q16";

std::string output_of(const std::string& command) {
  const std::vector<uint8_t> out = run_tool(command);
  return {out.begin(), out.end()};
}

// How a decoder widens samples of 10 or 12 bits to a 16-bit PNG: avifdec
// scales them to the full range, heif-convert shifts them up.
enum class Widened { kScaled, kShifted };

// A PNG's samples as 8-bit RGBA, read by ImageMagick. From a 16-bit PNG
// written by a decoder from samples of `depth` bits (10, 12) the samples
// are recovered exactly, then brought to 8 bits by rounding to the nearest
// level, which is what the engine must do with them.
std::vector<uint8_t> png_as_rgba(const std::string& png, int depth, Widened widened = Widened::kScaled) {
  if (depth == 8) return run_tool(kMagick + " " + shell_quote(png) + " -depth 8 rgba:-");
  const std::vector<uint8_t> wide = run_tool(kMagick + " " + shell_quote(png) + " -endian MSB -depth 16 rgba:-");
  const uint32_t max = (1u << depth) - 1;
  std::vector<uint8_t> rgba(wide.size() / 2);
  for (size_t i = 0; i < rgba.size(); ++i) {
    const uint32_t v16 = (uint32_t{wide[2 * i]} << 8) | wide[2 * i + 1];
    const uint32_t v = widened == Widened::kShifted ? v16 >> (16 - depth) : (v16 * max + 32767) / 65535;
    rgba[i] = static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
  return rgba;
}

// A photo-like 45 x 31 picture; with alpha, a soft ramp and a transparent
// corner. With `deep`, 16 bits a sample and every level of a ramp, so that
// 10- and 12-bit files hold levels that truncation would round down.
std::string make_source_png(const TempFolder& work, bool alpha, bool deep = false) {
  const std::string path = work.file(std::string(alpha ? "alpha" : "opaque") + (deep ? "16" : "") + ".png");
  std::string command = kMagick + " -seed 3 -size 45x31 plasma:fractal -blur 0x1";
  if (deep) command = kMagick + " -size 45x31 gradient:'rgb(0,2,255)'-'rgb(255,253,0)' -depth 16";
  if (alpha) {
    command += " \\( -size 45x31 gradient:white-black -fill black -draw 'rectangle 0,0 9,9' \\) -alpha off"
               " -compose copy_opacity -composite";
  }
  if (!deep) command += " -depth 8 -define png:exclude-chunk=all";
  const char* form = deep ? (alpha ? "PNG64:" : "PNG48:") : alpha ? "PNG32:" : "PNG24:";
  run_tool(command + " " + shell_quote(form + path));
  return path;
}

TEST(AvifReading, PixelsEqualAvifdecsForEveryKindOfFile) {
  TempFolder work;
  struct Case {
    const char* name;
    bool alpha_source;
    bool deep_source;
    const char* avifenc;
    int depth;
    bool keep_alpha;
    uint32_t bits;
  } cases[] = {
      {"lossy-420", false, false, "--min 20 --max 20", 8, true, 24},
      {"lossy-444", false, false, "-y 444 --min 10 --max 10", 8, true, 24},
      {"lossless", false, false, "-l", 8, true, 24},
      {"grey", false, false, "-y 400", 8, true, 8},
      {"alpha", true, false, "--min 20 --max 20", 8, true, 32},
      {"alpha-dropped", true, false, "--min 20 --max 20", 8, false, 24},
      {"10-bit-lossless", false, true, "-l -d 10", 10, true, 24},
      {"12-bit-lossless-alpha", true, true, "-l -d 12", 12, true, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string avif = work.file(std::string(c.name) + ".avif");
    run_tool(std::string("avifenc -j 1 -s 8 ") + c.avifenc + " " +
             shell_quote(make_source_png(work, c.alpha_source, c.deep_source)) + " " + shell_quote(avif) +
             " >/dev/null");
    const Loaded loaded = load_with_notes(avif, c.keep_alpha);
    ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
    EXPECT_EQ(loaded.picture.bits(), c.bits);
    const std::string reference = work.file(std::string(c.name) + ".png");
    run_tool("avifdec -j 1 -d " + std::to_string(c.depth == 8 ? 8 : 16) + " " + shell_quote(avif) + " " +
             shell_quote(reference) + " >/dev/null");
    std::vector<uint8_t> expected = png_as_rgba(reference, c.depth);
    if (c.bits != 32) expected = opaque(std::move(expected));
    ASSERT_EQ(expected.size(), loaded.picture.pixel_count() * 4);
    EXPECT_TRUE(as_rgba(loaded.picture) == expected);
    // The window reads what it always read: no AVIF.
    ImageBuffer window_picture;
    EXPECT_NE(load_picture(avif, window_picture), kLoaded);
  }
}

TEST(AvifReading, RotationAndMirroringShowThePictureAsTheFileSays) {
  TempFolder work;
  const std::string source = make_source_png(work, false);
  struct Case {
    const char* avifenc;
    const char* magick;  // the same done to the picture: turns first, mirroring after
  } cases[] = {
      {"--irot 1", "-rotate -90"},          {"--irot 2", "-rotate 180"},
      {"--irot 3", "-rotate 90"},           {"--imir 0", "-flip"},
      {"--imir 1", "-flop"},                {"--irot 1 --imir 0", "-rotate -90 -flip"},
      {"--irot 1 --imir 1", "-rotate -90 -flop"}, {"--irot 3 --imir 1", "-rotate 90 -flop"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.avifenc);
    const std::string avif = work.file("turned.avif");
    run_tool(std::string("avifenc -j 1 -s 8 -l ") + c.avifenc + " " + shell_quote(source) + " " + shell_quote(avif) +
             " >/dev/null");
    const Loaded loaded = load_with_notes(avif, false);
    ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
    EXPECT_EQ(loaded.notes.orientation, 1);
    const std::vector<uint8_t> expected =
        run_tool(kMagick + " " + shell_quote(source) + " " + c.magick + " -depth 8 rgba:-");
    ASSERT_EQ(expected.size(), loaded.picture.pixel_count() * 4);
    EXPECT_TRUE(as_rgba(loaded.picture) == expected);
  }
}

// A big-endian TIFF structure with one entry: orientation 6.
const std::vector<uint8_t> kExifTurned = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                                          0, 6, 0, 0, 0, 0, 0, 0};

TEST(AvifNotes, ProfileExifAndXmpAreReadAndWrittenWithoutTurningThePictureTwice) {
  TempFolder work;
  const std::string source = make_source_png(work, false);
  const std::vector<uint8_t> profile =
      colour::serialised(colour::png_chunks_profile(PngColourChunks{.gamma = 0.5, .chromaticities = std::nullopt}, false).get());
  ASSERT_FALSE(profile.empty());
  const std::string xmp_text = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>";
  const std::vector<uint8_t> xmp(xmp_text.begin(), xmp_text.end());
  write_bytes(work.file("p.icc"), profile);
  write_bytes(work.file("e.exif"), kExifTurned);
  write_bytes(work.file("x.xmp"), xmp);
  const std::string noted = work.file("noted.avif");
  run_tool("avifenc -j 1 -s 8 -l --icc " + shell_quote(work.file("p.icc")) + " --exif " +
           shell_quote(work.file("e.exif")) + " --xmp " + shell_quote(work.file("x.xmp")) + " " + shell_quote(source) +
           " " + shell_quote(noted) + " >/dev/null");

  const Loaded loaded = load_with_notes(noted, true);
  ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
  EXPECT_EQ(loaded.notes.icc_profile, profile);
  EXPECT_EQ(loaded.notes.exif, kExifTurned);
  EXPECT_EQ(loaded.notes.xmp, xmp);

  ConvertOptions options;
  options.more_kinds = true;
  options.metadata = MetadataHandling::kAll;
  options.colour = ColourHandling::kProfile;
  options.lossless = true;
  const std::string written = work.file("written.avif");
  const Conversion done = convert_picture(TargetFormat::kAvif, noted, written, options);
  ASSERT_EQ(done.code, kWritten) << done.reason;
  const std::string info = output_of("avifdec --info " + shell_quote(written));
  EXPECT_NE(info.find("ICC Profile    : Present"), std::string::npos) << info;
  EXPECT_NE(info.find("XMP Metadata   : Present"), std::string::npos) << info;
  EXPECT_NE(info.find("Exif Metadata  : Present"), std::string::npos) << info;
  // The EXIF orientation rides along; the pixels, already as shown, get
  // no rotation of the file's own.
  EXPECT_NE(info.find("Transformations: None"), std::string::npos) << info;
  EXPECT_EQ(output_of("exiftool -s3 -n -Orientation " + shell_quote(written)), "6\n");
  const Loaded reread = load_with_notes(written, true);
  ASSERT_EQ(reread.code, kLoaded) << reread.reason;
  EXPECT_TRUE(as_rgba(reread.picture) == as_rgba(loaded.picture));
  EXPECT_EQ(reread.notes.icc_profile, profile);
  EXPECT_EQ(reread.notes.xmp, xmp);
}

TEST(AvifWriting, LosslessKeepsEveryPixelAndLossyStaysClose) {
  TempFolder work;
  struct Case {
    const char* name;
    bool alpha;
    bool lossless;
    int quality;
    int effort;
    double least_psnr;  // 0: every sample equal
    const char* format;  // as avifdec describes the file
  } cases[] = {
      {"lossless", false, true, 75, 0, 0, "YUV444"},
      {"lossless-alpha", true, true, 75, 0, 0, "YUV444"},
      {"lossy-q60", false, false, 60, 0, 30, "YUV420"},
      {"lossy-q90-alpha-effort-9", true, false, 90, 9, 36, "YUV420"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = make_source_png(work, c.alpha);
    const Loaded original = load_with_notes(source, c.alpha);
    ASSERT_EQ(original.code, kLoaded) << original.reason;
    ConvertOptions options;
    options.more_kinds = true;
    options.alpha = c.alpha;
    options.lossless = c.lossless;
    options.quality = c.quality;
    options.effort = c.effort;
    const std::string written = work.file(std::string(c.name) + ".avif");
    const Conversion done = convert_picture(TargetFormat::kAvif, source, written, options);
    ASSERT_EQ(done.code, kWritten) << done.reason;
    const std::string info = output_of("avifdec --info " + shell_quote(written));
    EXPECT_NE(info.find(std::string("Format         : ") + c.format), std::string::npos) << info;
    EXPECT_NE(info.find(std::string("Alpha          : ") + (c.alpha ? "Not premultiplied" : "Absent")), std::string::npos);
    const std::string decoded_png = work.file(std::string(c.name) + ".png");
    run_tool("avifdec -j 1 -d 8 " + shell_quote(written) + " " + shell_quote(decoded_png) + " >/dev/null");
    const std::vector<uint8_t> decoded = png_as_rgba(decoded_png, 8);
    const std::vector<uint8_t> expected = as_rgba(original.picture);
    ASSERT_EQ(decoded.size(), expected.size());
    if (c.least_psnr == 0) {
      EXPECT_TRUE(decoded == expected);
    } else {
      const double measured = psnr(decoded, expected);
      EXPECT_GE(measured, c.least_psnr);
      std::cout << c.name << ": PSNR " << measured << " dB\n";
    }
  }
}

TEST(HeicReading, PixelsEqualHeifConvertsForEveryKindOfFile) {
  TempFolder work;
  struct Case {
    const char* name;
    bool alpha_source;
    bool deep_source;
    const char* heif_enc;
    int depth;
    bool keep_alpha;
    uint32_t bits;
  } cases[] = {
      {"lossy", false, false, "-q 60", 8, true, 24},
      {"alpha", true, false, "-q 60", 8, true, 32},
      {"alpha-dropped", true, false, "-q 60", 8, false, 24},
      {"10-bit", false, true, "-q 80 -b 10", 10, true, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string heic = work.file(std::string(c.name) + ".heic");
    run_tool(std::string("heif-enc ") + c.heif_enc + " " +
             shell_quote(make_source_png(work, c.alpha_source, c.deep_source)) + " -o " + shell_quote(heic) +
             " >/dev/null");
    const Loaded loaded = load_with_notes(heic, c.keep_alpha);
    ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
    EXPECT_EQ(loaded.picture.bits(), c.bits);
    EXPECT_EQ(loaded.picture.width(), 45);
    EXPECT_EQ(loaded.picture.height(), 31);
    const std::string reference = work.file(std::string(c.name) + ".png");
    run_tool("heif-convert " + shell_quote(heic) + " " + shell_quote(reference) + " >/dev/null");
    std::vector<uint8_t> expected = png_as_rgba(reference, c.depth, Widened::kShifted);
    if (c.bits != 32) expected = opaque(std::move(expected));
    ASSERT_EQ(expected.size(), loaded.picture.pixel_count() * 4);
    EXPECT_TRUE(as_rgba(loaded.picture) == expected);
  }
}

TEST(HeicNotes, ExifAndXmpReachTheNotesWithoutTheirOffset) {
  TempFolder work;
  const std::string jpeg = work.file("noted.jpg");
  run_tool(kMagick + " -seed 3 -size 45x31 plasma:fractal " + shell_quote(jpeg));
  run_tool("exiftool -q -overwrite_original -n -Orientation=6 -XMP-dc:Title=heic " + shell_quote(jpeg));
  const std::string heic = work.file("noted.heic");
  run_tool("heif-enc -q 60 " + shell_quote(jpeg) + " -o " + shell_quote(heic) + " >/dev/null");
  const Loaded loaded = load_with_notes(heic, false);
  ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
  ASSERT_GE(loaded.notes.exif.size(), 8u);
  EXPECT_TRUE(loaded.notes.exif[0] == 'I' || loaded.notes.exif[0] == 'M');
  const std::string xmp(loaded.notes.xmp.begin(), loaded.notes.xmp.end());
  EXPECT_NE(xmp.find("heic"), std::string::npos) << xmp;
  // libheif turns the picture; nothing is left for the orientation to do.
  EXPECT_EQ(loaded.notes.orientation, 1);
  const std::string shown = work.file("shown.png");
  run_tool("heif-convert " + shell_quote(heic) + " " + shell_quote(shown) + " >/dev/null");
  EXPECT_TRUE(as_rgba(loaded.picture) == png_as_rgba(shown, 8));
}

}  // namespace
}  // namespace quorvant::engine
