// WebP and GIF, read and written by the command line's engine: pixels as
// libwebp's dwebp and ImageMagick decode the same files, the notes WebP's
// chunks carry, and the crafted bad files of tests/bad-files/webp and gif.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

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

// Straight RGBA samples, row after row.
struct Rgba {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> samples;
};

// dwebp's decoding, the reference for every WebP file.
Rgba decode_with_dwebp(const std::string& path) {
  const std::vector<uint8_t> pam = run_tool("dwebp -quiet -pam -o - " + shell_quote(path));
  const std::string text(pam.begin(), pam.end());
  Rgba decoded;
  const size_t header_end = text.find("ENDHDR\n");
  std::istringstream header(text.substr(0, header_end));
  for (std::string word; header >> word;) {
    if (word == "WIDTH") header >> decoded.width;
    if (word == "HEIGHT") header >> decoded.height;
  }
  if (header_end != std::string::npos) decoded.samples.assign(pam.begin() + static_cast<long>(header_end + 7), pam.end());
  EXPECT_EQ(decoded.samples.size(), static_cast<size_t>(decoded.width) * decoded.height * 4) << path;
  return decoded;
}

// ImageMagick's first frame of a GIF, composed on its screen.
Rgba first_frame_with_imagemagick(const std::string& path, int width, int height) {
  Rgba decoded{width, height,
               run_tool(kMagick + " " + shell_quote(path + "[0]") + " -coalesce -depth 8 rgba:-")};
  EXPECT_EQ(decoded.samples.size(), static_cast<size_t>(width) * height * 4) << path;
  return decoded;
}

// The samples as they show: the colour under a fully transparent pixel
// is none of the reader's or writer's business.
std::vector<uint8_t> visible(std::vector<uint8_t> rgba) {
  for (size_t i = 0; i < rgba.size(); i += 4) {
    if (rgba[i + 3] == 0) rgba[i] = rgba[i + 1] = rgba[i + 2] = 0;
  }
  return rgba;
}

// A 45 x 31 photo-like picture with a soft alpha ramp and a fully
// transparent corner whose colour must survive lossless coding.
std::string make_source_png(const TempFolder& work, bool alpha) {
  const std::string path = work.file(alpha ? "alpha.png" : "opaque.png");
  std::string command = kMagick + " -seed 3 -size 45x31 plasma:fractal -blur 0x1";
  if (alpha) {
    command += " \\( -size 45x31 gradient:white-black -fill black -draw 'rectangle 0,0 9,9' \\) -alpha off"
               " -compose copy_opacity -composite";
  }
  run_tool(command + " " + shell_quote(path));
  return path;
}

TEST(WebpReading, PixelsEqualDwebpsForEveryKindOfFile) {
  TempFolder work;
  const std::string opaque_png = make_source_png(work, false);
  const std::string alpha_png = make_source_png(work, true);
  struct Case {
    const char* name;
    bool alpha_source;
    const char* cwebp;
    bool keep_alpha;
    uint32_t bits;
  } cases[] = {
      {"lossy", false, "-q 80", true, 24},
      {"lossless", false, "-lossless", true, 24},
      {"lossy-alpha", true, "-q 80", true, 32},
      {"lossy-alpha-dropped", true, "-q 80", false, 24},
      {"lossless-alpha", true, "-lossless -exact", true, 32},
      {"lossless-alpha-dropped", true, "-lossless -exact", false, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string webp = work.file(std::string(c.name) + ".webp");
    run_tool(std::string("cwebp -quiet ") + c.cwebp + " " + shell_quote(c.alpha_source ? alpha_png : opaque_png) +
             " -o " + shell_quote(webp));
    const Loaded loaded = load_with_notes(webp, c.keep_alpha);
    ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
    EXPECT_EQ(loaded.picture.bits(), c.bits);
    const Rgba reference = decode_with_dwebp(webp);
    ASSERT_EQ(loaded.picture.width(), reference.width);
    ASSERT_EQ(loaded.picture.height(), reference.height);
    const std::vector<uint8_t> expected = c.bits == 32 ? reference.samples : opaque(reference.samples);
    EXPECT_TRUE(as_rgba(loaded.picture) == expected);
    // The window reads what it always read: no WebP.
    ImageBuffer window_picture;
    EXPECT_NE(load_picture(webp, window_picture), kLoaded);
  }
}

TEST(WebpReading, AnAnimationGivesItsFirstFrameComposedOnItsCanvas) {
  TempFolder work;
  // A 40 x 30 screen whose first frame covers only 20 x 12 pixels at (6, 4).
  const std::string gif = work.file("anim.gif");
  run_tool(kMagick + " -dispose none -page 40x30+6+4 \\( -size 20x12 gradient:red-blue \\)"
                     " -page 40x30+0+0 \\( -size 40x30 xc:green \\) -loop 0 " + shell_quote(gif));
  const std::string webp = work.file("anim.webp");
  run_tool("gif2webp -quiet " + shell_quote(gif) + " -o " + shell_quote(webp));
  const Loaded loaded = load_with_notes(webp, true);
  ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
  ASSERT_EQ(loaded.picture.width(), 40);
  ASSERT_EQ(loaded.picture.height(), 30);
  ASSERT_EQ(loaded.picture.bits(), 32u);
  // gif2webp keeps the pixels (lossless): the frame is what ImageMagick
  // reads from the GIF; a WebP canvas starts transparent, where ImageMagick
  // shows the GIF's background colour.
  std::vector<uint8_t> expected = first_frame_with_imagemagick(gif, 40, 30).samples;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (x < 6 || x >= 26 || y < 4 || y >= 16) expected[static_cast<size_t>(y * 40 + x) * 4 + 3] = 0;
    }
  }
  EXPECT_TRUE(visible(as_rgba(loaded.picture)) == visible(expected));
}

TEST(WebpNotes, ChunksReachTheNotesAndAreWrittenBack) {
  TempFolder work;
  const std::string plain = work.file("plain.webp");
  run_tool("cwebp -quiet -q 70 " + shell_quote(make_source_png(work, false)) + " -o " + shell_quote(plain));
  PngColourChunks chunks;
  chunks.gamma = 0.5;
  const std::vector<uint8_t> profile = colour::serialised(colour::png_chunks_profile(chunks, false).get());
  ASSERT_FALSE(profile.empty());
  // Big-endian TIFF structure, one entry: orientation 6.
  const std::vector<uint8_t> exif = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                                     0, 6, 0, 0, 0, 0, 0, 0};
  const std::string xmp_text = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>";
  const std::vector<uint8_t> xmp(xmp_text.begin(), xmp_text.end());
  write_bytes(work.file("p.icc"), profile);
  write_bytes(work.file("e.exif"), exif);
  write_bytes(work.file("x.xmp"), xmp);
  const std::string noted = work.file("noted.webp");
  run_tool("webpmux -set icc " + shell_quote(work.file("p.icc")) + " " + shell_quote(plain) + " -o " +
           shell_quote(work.file("1.webp")));
  run_tool("webpmux -set exif " + shell_quote(work.file("e.exif")) + " " + shell_quote(work.file("1.webp")) +
           " -o " + shell_quote(work.file("2.webp")));
  run_tool("webpmux -set xmp " + shell_quote(work.file("x.xmp")) + " " + shell_quote(work.file("2.webp")) +
           " -o " + shell_quote(noted));

  const Loaded loaded = load_with_notes(noted, true);
  ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
  EXPECT_EQ(loaded.notes.icc_profile, profile);
  EXPECT_EQ(loaded.notes.exif, exif);
  EXPECT_EQ(loaded.notes.xmp, xmp);
  EXPECT_EQ(loaded.notes.orientation, 6);

  ConvertOptions options;
  options.more_kinds = true;
  options.metadata = MetadataHandling::kAll;
  options.colour = ColourHandling::kProfile;
  const std::string written = work.file("written.webp");
  const Conversion done = convert_picture(TargetFormat::kWebp, noted, written, options);
  ASSERT_EQ(done.code, kWritten) << done.reason;
  for (const char* chunk : {"icc", "xmp", "exif"}) {
    const std::string out = work.file(std::string("got.") + chunk);
    run_tool(std::string("webpmux -get ") + chunk + " " + shell_quote(written) + " -o " + shell_quote(out));
    EXPECT_FALSE(read_bytes(out).empty()) << chunk;
  }
  EXPECT_EQ(read_bytes(work.file("got.icc")), profile);
  EXPECT_EQ(read_bytes(work.file("got.xmp")), xmp);
  // The EXIF block may be re-laid when it is carried; its orientation stays.
  const Loaded reread = load_with_notes(written, true);
  EXPECT_EQ(reread.notes.orientation, 6);
}

TEST(WebpWriting, LosslessKeepsEveryPixelAndLossyStaysClose) {
  TempFolder work;
  struct Case {
    const char* name;
    bool alpha;
    bool lossless;
    int quality;
    double least_psnr;  // 0: every sample equal
  } cases[] = {
      {"lossless", false, true, 75, 0},
      {"lossless-alpha", true, true, 75, 0},
      {"lossy-q80", false, false, 80, 33},
      {"lossy-q80-alpha", true, false, 80, 33},
      {"lossy-q100", false, false, 100, 38},
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
    const std::string written = work.file(std::string(c.name) + ".webp");
    const Conversion done = convert_picture(TargetFormat::kWebp, source, written, options);
    ASSERT_EQ(done.code, kWritten) << done.reason;
    const Rgba decoded = decode_with_dwebp(written);
    ASSERT_EQ(decoded.width, original.picture.width());
    ASSERT_EQ(decoded.height, original.picture.height());
    const std::vector<uint8_t> expected = as_rgba(original.picture);
    if (c.least_psnr == 0) {
      EXPECT_TRUE(decoded.samples == expected);
    } else {
      const double measured = psnr(visible(decoded.samples), visible(expected));
      EXPECT_GE(measured, c.least_psnr);
      std::cout << c.name << ": PSNR " << measured << " dB\n";
    }
  }
}

TEST(GifReading, FirstFrameEqualsImageMagicksOnTheScreen) {
  TempFolder work;
  const std::string frame = work.file("frame.png");
  // 64 colours, a transparent hole in the middle.
  run_tool(kMagick + " -size 21x13 gradient:red-blue \\( -size 21x13 xc:white -fill black -draw 'rectangle 8,4 12,8' \\)"
                     " -alpha off -compose copy_opacity -composite -colors 64 " + shell_quote(frame));
  struct Case {
    const char* name;
    const char* making;  // how ImageMagick writes the GIF from the frame
    bool keep_alpha;
    uint32_t bits;
  } cases[] = {
      {"whole-screen", "", true, 32},
      {"interlaced", "-interlace GIF", true, 32},
      {"offset-on-larger-screen", "-page 40x30+7+5", true, 32},
      {"offset-interlaced", "-interlace GIF -page 40x30+3+16", true, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string gif = work.file(std::string(c.name) + ".gif");
    run_tool(kMagick + " " + c.making + " " + shell_quote(frame) + " " + shell_quote(gif));
    const Loaded loaded = load_with_notes(gif, c.keep_alpha);
    ASSERT_EQ(loaded.code, kLoaded) << loaded.reason;
    EXPECT_EQ(loaded.picture.bits(), c.bits);
    const Rgba reference = first_frame_with_imagemagick(gif, loaded.picture.width(), loaded.picture.height());
    EXPECT_TRUE(visible(as_rgba(loaded.picture)) == visible(reference.samples));
    // Without alpha, the same colours where the frame is opaque.
    const Loaded flat = load_with_notes(gif, false);
    ASSERT_EQ(flat.code, kLoaded) << flat.reason;
    EXPECT_EQ(flat.picture.bits(), 24u);
    const std::vector<uint8_t> flat_rgba = as_rgba(flat.picture);
    for (size_t i = 0; i < flat_rgba.size(); i += 4) {
      if (reference.samples[i + 3] == 255) {
        ASSERT_TRUE(std::equal(&flat_rgba[i], &flat_rgba[i] + 3, &reference.samples[i])) << "sample " << i;
      }
    }
  }
}

}  // namespace
}  // namespace quorvant::engine
