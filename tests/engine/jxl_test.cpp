// JPEG XL: files made by the reference encoder (cjxl) read to the pixels its
// decoder (djxl) gives; files written here decode with djxl to the source's
// pixels (lossless), close to them (lossy), or, for a recompressed JPEG, to
// the JPEG's own bytes; the notes; and the crafted bad files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "engine/convert.h"
#include "engine/jxl/jxl_reader.h"
#include "engine/metadata/exif_block.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::run_tool;
using testing::psnr;
using testing::shell_quote;

// A decoded netpbm file (P5, P6 or P7) with samples reduced to 8 bits as
// the reader reduces them.
struct Decoded {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> samples;
};

Decoded parse_netpbm(const std::vector<uint8_t>& bytes) {
  Decoded d;
  std::string text(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(std::min<size_t>(bytes.size(), 200)));
  std::istringstream header(text);
  std::string magic;
  header >> magic;
  int maxval = 0;
  if (magic == "P7") {
    for (std::string key; header >> key && key != "ENDHDR";) {
      if (key == "WIDTH") header >> d.width;
      if (key == "HEIGHT") header >> d.height;
      if (key == "DEPTH") header >> d.channels;
      if (key == "MAXVAL") header >> maxval;
    }
  } else {
    header >> d.width >> d.height >> maxval;
    d.channels = magic == "P5" ? 1 : 3;
  }
  const size_t start = static_cast<size_t>(header.tellg()) + 1;
  const size_t count = static_cast<size_t>(d.width) * d.height * d.channels;
  const size_t size = maxval > 255 ? 2 : 1;
  if (maxval <= 0 || bytes.size() < start + count * size) {
    ADD_FAILURE() << "cannot parse the decoder's output";
    return {};
  }
  d.samples.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* s = bytes.data() + start + i * size;
    const uint32_t v = size == 2 ? (uint32_t{s[0]} << 8 | s[1]) : s[0];
    d.samples[i] = static_cast<uint8_t>((v * 255 + static_cast<uint32_t>(maxval) / 2) / static_cast<uint32_t>(maxval));
  }
  return d;
}

// djxl writes PAM only for pictures with alpha, PPM only for colour ones
// and PGM only for grey ones: the one it takes is the picture's kind.
Decoded decode_with_djxl(const std::string& path, const std::string& work) {
  for (const char* kind : {".pam", ".ppm", ".pgm"}) {
    const std::string out = work + "/djxl-out" + kind;
    if (testing::run_command("djxl " + shell_quote(path) + " " + shell_quote(out) + " >/dev/null 2>&1").status == 0) {
      return parse_netpbm(testing::read_bytes(out));
    }
  }
  ADD_FAILURE() << "djxl cannot decode " << path;
  return {};
}

// The picture's samples in the decoder's order: grey, RGB or RGBA.
std::vector<uint8_t> samples_of(const ImageBuffer& picture, int channels) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* p = picture.row(y);
    for (int32_t x = 0; x < picture.width(); ++x) {
      if (picture.bits() == 8) {
        out.push_back(*p++);
      } else if (picture.bits() == 24) {
        out.insert(out.end(), p, p + 3);
        p += 3;
      } else {
        out.insert(out.end(), {p[1], p[2], p[3]});
        if (channels == 4) out.push_back(p[0]);
        p += 4;
      }
    }
  }
  return out;
}

// The decoder's samples with only the first `channels` of each pixel.
std::vector<uint8_t> first_channels(const Decoded& d, int channels) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < d.samples.size(); i += static_cast<size_t>(d.channels)) {
    out.insert(out.end(), d.samples.begin() + static_cast<ptrdiff_t>(i),
               d.samples.begin() + static_cast<ptrdiff_t>(i) + channels);
  }
  return out;
}

struct Read {
  bool opened = false;
  bool ok = false;
  std::string failure;
  ImageBuffer picture;
  PictureNotes notes;
};

Read read_jxl(const std::string& path, bool alpha) {
  Read r;
  jxl::JxlReader reader;
  reader.set_read_options({.more_kinds = true, .alpha = alpha, .notes = true}, &r.notes);
  r.opened = reader.open(SourceFile::open(path), r.picture, nullptr);
  r.ok = r.opened && reader.read();
  r.failure = reader.failure();
  return r;
}

bool is_container(const std::string& path) {
  const std::vector<uint8_t> bytes = testing::read_bytes(path);
  return bytes.size() > 8 && std::memcmp(bytes.data() + 4, "JXL ", 4) == 0;
}

struct ReadCase {
  const char* name;
  const char* source;  // an ImageMagick picture and the options making it
  const char* cjxl;
  bool alpha;      // transparency kept
  uint32_t bits;   // of the picture read
  bool container;  // the file cjxl makes
  bool profile;    // the notes get a colour profile (not sRGB)
};

const ReadCase kReadCases[] = {
    {"lossless-rgb", "-size 61x47 plasma:fractal -seed 3 -depth 8 -strip src.png", "-q 100", false, 24, false, false},
    {"lossy-rgb", "-size 61x47 plasma:fractal -seed 3 -depth 8 -strip src.png", "-d 1", false, 24, false, false},
    {"alpha-kept",
     "-size 40x30 plasma:fractal -seed 4 -alpha set -channel A -fx 'i/w' +channel -depth 8 -strip src.png", "-q 100",
     true, 32, false, false},
    {"alpha-dropped",
     "-size 40x30 plasma:fractal -seed 4 -alpha set -channel A -fx 'i/w' +channel -depth 8 -strip src.png", "-q 100",
     false, 24, false, false},
    {"lossy-alpha-kept",
     "-size 40x30 plasma:fractal -seed 4 -alpha set -channel A -fx 'j/h' +channel -depth 8 -strip src.png", "-d 2",
     true, 32, false, false},
    {"grey", "-size 33x20 gradient:black-white -colorspace gray -depth 8 -strip src.png", "-q 100", false, 8, false,
     false},
    // 16 bits a sample with gamma 0.45455 (not sRGB): reduced to 8 bits,
    // and the colour space libjxl describes becomes the notes' profile.
    {"16-bit-gamma", "-size 50x40 plasma:fractal -seed 5 -depth 16 src.png", "-q 100", false, 24, true, true},
    {"recompressed-jpeg", "-size 64x48 plasma:fractal -seed 6 -quality 85 src.jpg", "", false, 24, true, false},
};

TEST(JxlReader, PixelsEqualTheReferenceDecoders) {
  for (const ReadCase& c : kReadCases) {
    SCOPED_TRACE(c.name);
    testing::TempFolder work;
    const std::string source = work.file(std::string(c.source).ends_with(".jpg") ? "src.jpg" : "src.png");
    const std::string jxl = work.file("in.jxl");
    run_tool("cd " + shell_quote(work.path()) + " && convert-im6.q16 " + c.source + " && cjxl " + c.cjxl + " " +
             shell_quote(source) + " " + shell_quote(jxl) + " >/dev/null 2>&1");
    EXPECT_EQ(is_container(jxl), c.container);
    const Read r = read_jxl(jxl, c.alpha);
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(r.picture.bits(), c.bits);
    const Decoded reference = decode_with_djxl(jxl, work.path());
    ASSERT_EQ(r.picture.width(), reference.width);
    ASSERT_EQ(r.picture.height(), reference.height);
    const int channels = c.bits == 8 ? 1 : c.bits == 24 ? 3 : 4;
    EXPECT_TRUE(samples_of(r.picture, channels) == first_channels(reference, channels)) << "pixels differ";
    EXPECT_EQ(!r.notes.icc_profile.empty(), c.profile);
    EXPECT_EQ(r.notes.orientation, 1);
  }
}

// A photo with EXIF (turned a quarter: orientation 6), XMP and an Adobe RGB
// profile, as a camera and an editor leave it.
std::string camera_photo(const testing::TempFolder& work) {
  const std::string photo = work.file("photo.jpg");
  run_tool("convert-im6.q16 -size 64x48 plasma:fractal -seed 7 -quality 90 " + shell_quote(photo) +
           " && exiftool -q -overwrite_original -Orientation#=6 -Make=Quorvant -XMP-dc:Title=Harbour "
           "'-ICC_Profile<=/usr/share/color/icc/ghostscript/a98.icc' " +
           shell_quote(photo));
  return photo;
}

TEST(JxlReader, NotesHoldTheProfileExifAndXmpOfTheUprightPicture) {
  testing::TempFolder work;
  const std::string jxl = work.file("photo.jxl");
  run_tool("cjxl " + shell_quote(camera_photo(work)) + " " + shell_quote(jxl) + " >/dev/null 2>&1");
  const Read r = read_jxl(jxl, false);
  ASSERT_TRUE(r.ok) << r.failure;
  // The picture comes as djxl turns it, and nothing says to turn it again.
  const Decoded reference = decode_with_djxl(jxl, work.path());
  EXPECT_EQ(r.picture.width(), reference.width);
  EXPECT_EQ(r.picture.height(), reference.height);
  EXPECT_EQ(r.notes.orientation, 1);
  ASSERT_GE(r.notes.exif.size(), 8u);
  EXPECT_TRUE(std::memcmp(r.notes.exif.data(), "MM\0*", 4) == 0 || std::memcmp(r.notes.exif.data(), "II*\0", 4) == 0);
  EXPECT_EQ(metadata::exif_orientation(r.notes.exif), 1);
  const std::string exif(r.notes.exif.begin(), r.notes.exif.end());
  EXPECT_NE(exif.find("Quorvant"), std::string::npos);
  const std::string xmp(r.notes.xmp.begin(), r.notes.xmp.end());
  EXPECT_NE(xmp.find("Harbour"), std::string::npos);
  EXPECT_EQ(r.notes.icc_profile, testing::read_bytes("/usr/share/color/icc/ghostscript/a98.icc"));
}

// A file of another format is declined silently, so that the loader asks
// the next reader. (The damaged JPEG XL files are tests/bad-files/jxl.)
TEST(JxlReader, DeclinesOtherFormatsWithoutAReason) {
  const std::string folder = std::filesystem::path(__FILE__).parent_path().string() + "/../bad-files/";
  const Read other = read_jxl(folder + "png/rgb-32x32-whole.png", true);
  EXPECT_FALSE(other.opened);
  EXPECT_EQ(other.failure, "");
}

Conversion to_jxl(const std::string& source, const std::string& out, ConvertOptions options) {
  options.more_kinds = true;
  options.metadata = MetadataHandling::kAll;
  return convert_picture(TargetFormat::kJxl, source, out, options);
}

// The source's samples as ImageMagick gives them (RGB or RGBA, 8 bits).
std::vector<uint8_t> source_samples(const std::string& path, const char* map) {
  return run_tool("convert-im6.q16 " + shell_quote(path) + " -depth 8 " + map + ":-");
}

TEST(JxlWriter, LosslessFilesDecodeToTheSourcePixels) {
  testing::TempFolder work;
  const struct {
    const char* source;
    bool alpha;
  } cases[] = {
      {"-size 70x50 plasma:fractal -seed 8 -depth 8 -strip", false},
      {"-size 70x50 plasma:fractal -seed 9 -alpha set -channel A -fx 'i*j/w/h' +channel -depth 8 -strip", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    const std::string png = work.file("src.png");
    const std::string jxl = work.file("out.jxl");
    run_tool("convert-im6.q16 " + std::string(c.source) + " " + shell_quote(png));
    const Conversion done = to_jxl(png, jxl, {.alpha = c.alpha, .lossless = true});
    ASSERT_EQ(done.code, kWritten) << done.reason;
    const Decoded back = decode_with_djxl(jxl, work.path());
    ASSERT_EQ(back.channels, c.alpha ? 4 : 3);
    EXPECT_TRUE(back.samples == source_samples(png, c.alpha ? "rgba" : "rgb")) << "pixels differ";
  }
}

// The quality maps to the reference encoder's distance: the files match
// cjxl's -q files in size, above and below quality 30 (where the mapping
// changes), and stay close to the source.
TEST(JxlWriter, LossyQualityFollowsTheReferenceEncoder) {
  testing::TempFolder work;
  const std::string png = work.file("src.png");
  run_tool("convert-im6.q16 -size 256x192 plasma:fractal -seed 10 -depth 8 -strip " + shell_quote(png));
  const struct {
    int quality;
    double least_psnr;
  } cases[] = {{95, 32}, {75, 29}, {40, 27}, {10, 25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.quality);
    const std::string jxl = work.file("out.jxl");
    const std::string reference = work.file("cjxl.jxl");
    ASSERT_EQ(to_jxl(png, jxl, {.quality = c.quality}).code, kWritten);
    run_tool("cjxl -q " + std::to_string(c.quality) + " " + shell_quote(png) + " " + shell_quote(reference) +
             " >/dev/null 2>&1");
    const double ours = static_cast<double>(testing::read_bytes(jxl).size());
    const double theirs = static_cast<double>(testing::read_bytes(reference).size());
    EXPECT_NEAR(ours / theirs, 1.0, 0.03) << ours << " bytes against " << theirs;
    const double measured = psnr(decode_with_djxl(jxl, work.path()).samples, source_samples(png, "rgb"));
    EXPECT_GE(measured, c.least_psnr);
    std::printf("quality %d: %.0f bytes (cjxl %.0f), PSNR %.1f dB\n", c.quality, ours, theirs, measured);
  }
}

// Written from pixels (a JPEG would be recompressed): ImageMagick's PNG
// carries the photo's EXIF, its TIFF the XMP; both the profile.
TEST(JxlWriter, ProfileExifAndXmpComeBackFromTheWrittenFile) {
  testing::TempFolder work;
  const std::string photo = camera_photo(work);
  const struct {
    const char* name;
    bool lossless;
    const char* note;
  } cases[] = {{"photo.png", true, "exif"}, {"photo.tif", true, "xmp"}, {"photo.png", false, "exif"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.lossless ? " lossless" : " lossy"));
    const std::string source = work.file(c.name);
    run_tool("convert-im6.q16 " + shell_quote(photo) + " " + shell_quote(source));
    const std::string jxl = work.file("out.jxl");
    ASSERT_EQ(to_jxl(source, jxl, {.colour = ColourHandling::kProfile, .lossless = c.lossless}).code, kWritten);
    const Read r = read_jxl(jxl, false);
    ASSERT_TRUE(r.ok) << r.failure;
    // A lossy file's pixels come in the colour space libjxl decodes into.
    if (c.lossless) {
      EXPECT_EQ(r.notes.icc_profile, testing::read_bytes("/usr/share/color/icc/ghostscript/a98.icc"));
    }
    const std::vector<uint8_t>& note = std::string(c.note) == "exif" ? r.notes.exif : r.notes.xmp;
    const char* words = std::string(c.note) == "exif" ? "Quorvant" : "Harbour";
    EXPECT_NE(std::string(note.begin(), note.end()).find(words), std::string::npos) << c.note << " lost";
  }
}

TEST(JxlWriter, LosslessJpegIsRecompressedToGiveBackItsBytes) {
  testing::TempFolder work;
  const std::string photo = camera_photo(work);
  const std::string jxl = work.file("photo.jxl");
  ASSERT_EQ(to_jxl(photo, jxl, {.lossless = true}).code, kWritten);
  const std::string back = work.file("back.jpg");
  run_tool("djxl " + shell_quote(jxl) + " " + shell_quote(back) + " >/dev/null 2>&1");
  EXPECT_TRUE(testing::read_bytes(back) == testing::read_bytes(photo)) << "the JPEG does not come back";

  // An arithmetic-coded JPEG cannot be recompressed: its pixels are
  // written losslessly instead.
  const std::string arithmetic = work.file("arithmetic.jpg");
  run_tool("convert-im6.q16 -size 48x32 plasma:fractal -seed 11 ppm:- | cjpeg -arithmetic > " +
           shell_quote(arithmetic));
  ASSERT_EQ(to_jxl(arithmetic, jxl, {.lossless = true}).code, kWritten);
  EXPECT_TRUE(decode_with_djxl(jxl, work.path()).samples == testing::decode_with_djpeg(arithmetic).samples);
}

}  // namespace
}  // namespace quorvant::engine
