// Colour spaces, transparency, 16-bit PNGs, CMYK JPEGs and the chunks PNG
// files carry, as the command line's conversions ask for them. Sources are
// made by ImageMagick, exiftool or by hand; results are judged by transicc,
// ImageMagick, pngcheck and exiftool.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "engine/image_buffer.h"
#include "engine/loader.h"
#include "engine/source_file.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::run_command;
using testing::run_tool;
using testing::shell_quote;
using testing::TempFolder;

const std::string kAdobeRgb = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";
const std::string kProPhoto = "/usr/share/color/icc/ghostscript/rommrgb.icc";
const std::string kCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const std::string kGrey = "/usr/share/color/icc/Gray.icc";

// Samples as ImageMagick decodes them, 8 bits each, in `map`'s order
// ("RGB", "RGBA", "CMYK").
std::vector<uint8_t> samples_of(const std::string& path, const std::string& map) {
  const std::string lower = map == "RGB" ? "rgb" : map == "RGBA" ? "rgba" : "cmyk";
  return run_tool("convert " + shell_quote(path) + " -depth 8 " + lower + ":-");
}

// What transicc makes of `samples` (three or four a colour, 0..255) from
// `profile` to sRGB, relative colorimetric with black-point compensation,
// rounded and clipped to 0..255. CMYK goes in as percentages.
std::vector<uint8_t> transicc_srgb(const std::string& profile, const std::vector<uint8_t>& samples, int per_colour,
                                   const TempFolder& folder) {
  std::ostringstream input;
  for (size_t i = 0; i < samples.size(); ++i) {
    input << (per_colour == 4 ? samples[i] * 100.0 / 255.0 : samples[i] + 0.0) << ((i + 1) % per_colour ? " " : "\n");
  }
  const std::string in = folder.file("transicc-in.txt");
  const std::string text = input.str();
  testing::write_bytes(in, {text.begin(), text.end()});
  const std::vector<uint8_t> out =
      run_tool("transicc -n -t 1 -b -i " + shell_quote(profile) + " -o '*sRGB' < " + shell_quote(in) + " 2>/dev/null");
  std::istringstream values(std::string(out.begin(), out.end()));
  std::vector<uint8_t> srgb;
  for (double v = 0; values >> v;) srgb.push_back(static_cast<uint8_t>(std::clamp(v, 0.0, 255.0) + 0.5));
  return srgb;
}

// The largest difference between two runs of samples of the same length.
int largest_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  EXPECT_EQ(a.size(), b.size());
  int largest = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

std::string converted(TargetFormat format, const std::string& source, const std::string& target,
                      const ConvertOptions& options) {
  const Conversion result = convert_picture(format, source, target, options);
  EXPECT_EQ(result.code, kWritten) << source << ": " << result.reason;
  return target;
}

// The command line's options: upright, sRGB, transparency, metadata, more
// kinds of file.
ConvertOptions photo_options(ColourHandling colour = ColourHandling::kSrgb) {
  ConvertOptions options;
  options.upright = true;
  options.colour = colour;
  options.alpha = true;
  options.metadata = MetadataHandling::kAll;
  options.more_kinds = true;
  return options;
}

// A PNG written chunk by chunk: `rows` are the filtered rows' bytes without
// their filter byte (filter 0 is added); `chunks` go before IDAT.
void write_png(const std::string& path, uint32_t width, uint32_t height, uint8_t depth, uint8_t colour_type,
               const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto be32 = [](std::vector<uint8_t>& to, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) to.push_back(static_cast<uint8_t>(v >> shift));
  };
  const auto chunk = [&](const std::string& type, const std::vector<uint8_t>& data) {
    be32(file, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    be32(file, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
  };
  std::vector<uint8_t> header;
  be32(header, width);
  be32(header, height);
  header.insert(header.end(), {depth, colour_type, 0, 0, 0});
  chunk("IHDR", header);
  for (const auto& [type, data] : chunks) chunk(type, data);
  const size_t row_bytes = rows.size() / height;
  std::vector<uint8_t> raw;
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rows.begin() + static_cast<ptrdiff_t>(y * row_bytes),
               rows.begin() + static_cast<ptrdiff_t>((y + 1) * row_bytes));
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(size);
  compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(size);
  chunk("IDAT", packed);
  chunk("IEND", {});
  testing::write_bytes(path, file);
}

std::vector<uint8_t> be32s(std::initializer_list<double> values, double scale) {
  std::vector<uint8_t> bytes;
  for (double v : values) {
    const auto n = static_cast<uint32_t>(v * scale + 0.5);
    bytes.insert(bytes.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  }
  return bytes;
}

// Colour sources of each kind, converted to sRGB, against transicc on the
// same stored colours: within one level everywhere.
TEST(ColourToSrgb, EveryKindOfSourceMatchesTransicc) {
  struct Case {
    const char* name;
    std::string make;     // shell command making source.* from gradient.png
    const char* source;   // the file made
    std::string profile;  // what transicc converts from
  };
  const std::string tagged = "convert gradient.png -define png:color-type=2 -profile ";
  const std::vector<Case> cases = {
      {"Adobe RGB PNG", tagged + shell_quote(kAdobeRgb) + " source.png", "source.png", kAdobeRgb},
      {"ProPhoto PNG", tagged + shell_quote(kProPhoto) + " source.png", "source.png", kProPhoto},
      {"Adobe RGB PNG with alpha",
       "convert gradient.png -alpha set -channel A -fx 'i/w' +channel -profile " + shell_quote(kAdobeRgb) +
           " source.png",
       "source.png", kAdobeRgb},
      {"Adobe RGB JPEG", "convert gradient.png -quality 95 -profile " + shell_quote(kAdobeRgb) + " source.jpg",
       "source.jpg", kAdobeRgb},
      // ProPhoto's primaries, white and gamma 1.8 in gAMA and cHRM.
      {"PNG gAMA and cHRM", "", "source.png", kProPhoto},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    run_tool("cd " + shell_quote(folder.path()) +
             " && convert -size 61x47 gradient:'rgb(250,20,0)-rgb(0,60,250)' -attenuate 3 +noise Uniform -depth 8"
             " -define png:color-type=2 gradient.png" + (c.make.empty() ? "" : " && " + c.make));
    if (c.make.empty()) {
      write_png(folder.file("source.png"), 61, 47, 8, 2,
                {{"gAMA", be32s({1 / 1.8}, 100000)},
                 {"cHRM", be32s({0.3457, 0.3585, 0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001}, 100000)}},
                samples_of(folder.file("gradient.png"), "RGB"));
    }
    const std::string source = folder.file(c.source);
    // JPEG's stored colours are what its decoder makes of them.
    const std::vector<uint8_t> stored = samples_of(source, "RGB");
    const std::vector<uint8_t> expected = transicc_srgb(c.profile, stored, 3, folder);
    // PNG keeps the alpha, so the colours are judged without it.
    const std::string png = converted(TargetFormat::kPng, source, folder.file("out.png"), photo_options());
    EXPECT_LE(largest_difference(samples_of(png, "RGB"), expected), 1);
    const std::string bmp = converted(TargetFormat::kBmp, source, folder.file("out.bmp"), photo_options());
    if (std::string(c.name).find("alpha") == std::string::npos) {
      EXPECT_LE(largest_difference(samples_of(bmp, "RGB"), expected), 1);
      // Kept with its profile, the picture is the file's stored colours,
      // and its profile says what they are.
      const std::string kept =
          converted(TargetFormat::kPng, source, folder.file("kept.png"), photo_options(ColourHandling::kProfile));
      EXPECT_LE(largest_difference(samples_of(kept, "RGB"), stored), 1);
      run_tool("exiftool -b -ICC_Profile " + shell_quote(kept) + " > " + shell_quote(folder.file("kept.icc")));
      EXPECT_LE(largest_difference(transicc_srgb(folder.file("kept.icc"), stored, 3, folder), expected), 1);
    } else {
      // The alpha as stored, the colours converted.
      std::vector<uint8_t> with_alpha = samples_of(source, "RGBA");
      for (size_t i = 0; i < expected.size() / 3; ++i) std::copy_n(&expected[3 * i], 3, &with_alpha[4 * i]);
      EXPECT_LE(largest_difference(samples_of(png, "RGBA"), with_alpha), 1);
      EXPECT_NE(run_command("pngcheck " + shell_quote(png)).out.find("RGB+alpha"), std::string::npos);
    }
  }
}

// gAMA 1/2.2 with sRGB's primaries, or with none, is how ImageMagick tags
// sRGB: the levels stay as stored, and no profile is written for them.
// Another gamma with the same primaries is converted.
TEST(ColourToSrgb, PngsTaggedTheWayImageMagickTagsSrgbKeepTheirLevels) {
  const TempFolder folder;
  std::vector<uint8_t> ramp;
  for (int level = 0; level < 256; ++level) ramp.insert(ramp.end(), 3, static_cast<uint8_t>(level));
  const auto srgb_primaries = be32s({0.3127, 0.329, 0.64, 0.33, 0.3, 0.6, 0.15, 0.06}, 100000);
  const struct {
    const char* name;
    double gamma;
    bool primaries;
    bool kept;
  } cases[] = {{"gAMA 1/2.2 and sRGB's cHRM", 0.45455, true, true},
               {"gAMA 1/2.2 alone", 0.45455, false, true},
               {"gAMA 1/1.8 and sRGB's cHRM", 1 / 1.8, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks = {{"gAMA", be32s({c.gamma}, 100000)}};
    if (c.primaries) chunks.emplace_back("cHRM", srgb_primaries);
    write_png(folder.file("ramp.png"), 256, 1, 8, 2, chunks, ramp);
    const std::string bmp = converted(TargetFormat::kBmp, folder.file("ramp.png"), folder.file("ramp.bmp"), photo_options());
    EXPECT_EQ(samples_of(bmp, "RGB") == ramp, c.kept);
    const std::string png = converted(TargetFormat::kPng, folder.file("ramp.png"), folder.file("kept.png"),
                                      photo_options(ColourHandling::kProfile));
    EXPECT_EQ(run_command("pngcheck -v " + shell_quote(png)).out.find("iCCP") == std::string::npos, c.kept);
  }
}

// A grey picture with a grey profile becomes sRGB grey; a palette picture
// has its entries converted.
TEST(ColourToSrgb, GreyAndPalettePictures) {
  const TempFolder folder;
  run_tool("cd " + shell_quote(folder.path()) +
           " && convert -size 64x4 gradient:black-white -depth 8 -define png:color-type=0 -profile " +
           shell_quote(kGrey) + " grey.png && convert -size 8x8 'xc:rgb(120,160,100)' -profile " +
           shell_quote(kAdobeRgb) + " palette.png");
  const std::string grey = converted(TargetFormat::kPgm, folder.file("grey.png"), folder.file("grey.pgm"), photo_options());
  const testing::Pnm pgm = testing::parse_pnm(testing::read_bytes(grey));
  ASSERT_EQ(pgm.channels, 1);
  // transicc takes one level a colour from a grey profile and gives sRGB's
  // neutral colour for it.
  const std::vector<uint8_t> stored = samples_of(folder.file("grey.png"), "RGB");
  std::vector<uint8_t> levels;
  for (size_t i = 0; i < stored.size(); i += 3) levels.push_back(stored[i]);
  const std::vector<uint8_t> expected_rgb = transicc_srgb(kGrey, levels, 1, folder);
  std::vector<uint8_t> expected;
  for (size_t i = 0; i < expected_rgb.size(); i += 3) expected.push_back(expected_rgb[i]);
  // The levels change: the test would pass on unconverted pixels otherwise.
  ASSERT_GT(largest_difference(levels, expected), 5);
  EXPECT_LE(largest_difference(pgm.samples, expected), 1);

  const std::string palette =
      converted(TargetFormat::kPpm, folder.file("palette.png"), folder.file("palette.ppm"), photo_options());
  const std::vector<uint8_t> pixel = samples_of(palette, "RGB");
  EXPECT_LE(largest_difference({pixel[0], pixel[1], pixel[2]}, transicc_srgb(kAdobeRgb, {120, 160, 100}, 3, folder)), 1);
}

// CMYK JPEGs as ImageMagick writes them (YCCK, Adobe's inverted samples):
// without a profile as ImageMagick shows them, with one as transicc does.
TEST(ColourToSrgb, CmykJpegs) {
  const TempFolder folder;
  run_tool("cd " + shell_quote(folder.path()) +
           " && convert -size 40x30 gradient:'rgb(250,30,0)-rgb(0,120,255)' -attenuate 2 +noise Uniform"
           " -colorspace CMYK -quality 95 plain.jpg && convert plain.jpg -profile " +
           shell_quote(kCmyk) + " profiled.jpg && convert plain.jpg -colorspace sRGB -depth 8 plain-srgb.ppm");
  const std::string plain = converted(TargetFormat::kPpm, folder.file("plain.jpg"), folder.file("p.ppm"), photo_options());
  EXPECT_EQ(samples_of(plain, "RGB"), samples_of(folder.file("plain-srgb.ppm"), "RGB"));

  const std::vector<uint8_t> expected = transicc_srgb(kCmyk, samples_of(folder.file("profiled.jpg"), "CMYK"), 4, folder);
  for (ColourHandling colour : {ColourHandling::kSrgb, ColourHandling::kProfile}) {
    const std::string jpg = converted(TargetFormat::kPng, folder.file("profiled.jpg"), folder.file("p.png"),
                                      photo_options(colour));
    EXPECT_LE(largest_difference(samples_of(jpg, "RGB"), expected), 1);
    // The pixels are sRGB now: the CMYK profile is not carried into them.
    EXPECT_EQ(run_command("exiftool -s3 -ICC_Profile:ColorSpaceData " + shell_quote(jpg)).out, "");
  }
  // Without more kinds, CMYK is refused as it always was.
  EXPECT_EQ(convert_picture(TargetFormat::kPpm, folder.file("plain.jpg"), folder.file("x.ppm")).code, kUnreadable);
}

// PNGs of each kind read with transparency and more kinds: 32-bit ARGB
// with straight alpha, 16 bits rounded to 8, as ImageMagick decodes them.
TEST(PngReading, TransparencyAndSixteenBits) {
  struct Case {
    const char* name;
    uint8_t depth;
    uint8_t colour_type;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    int samples;  // per pixel
  };
  const std::vector<Case> cases = {
      {"16-bit RGB", 16, 2, {}, 3},
      {"16-bit RGBA", 16, 6, {}, 4},
      {"16-bit grey", 16, 0, {}, 1},
      {"grey and alpha", 8, 4, {}, 2},
      {"palette with tRNS", 8, 3, {{"PLTE", {}}, {"tRNS", {0, 128, 255, 7}}}, 1},
      {"grey with tRNS", 8, 0, {{"tRNS", {0, 77}}}, 1},
      {"RGB with tRNS", 8, 2, {{"tRNS", {0, 77, 0, 77, 0, 77}}}, 3},
  };
  constexpr uint32_t kSide = 16;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempFolder folder;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks = c.chunks;
    std::vector<uint8_t> rows;
    for (uint32_t i = 0; i < kSide * kSide * static_cast<uint32_t>(c.samples) * (c.depth / 8); ++i) {
      rows.push_back(static_cast<uint8_t>(c.colour_type == 3 ? i % 8 : (i * 77 + i / 5) % 256));
    }
    if (c.colour_type == 3) {
      for (int entry = 0; entry < 8; ++entry) chunks[0].second.insert(chunks[0].second.end(), {uint8_t(entry * 30), 200, uint8_t(255 - entry * 20)});
    }
    if (c.colour_type == 0 || c.colour_type == 2) rows[0] = 0, rows[1] = 77;  // a transparent pixel for tRNS
    const std::string path = folder.file("source.png");
    write_png(path, kSide, kSide, c.depth, c.colour_type, chunks, rows);

    ImageBuffer picture;
    ReadOptions read;
    read.more_kinds = true;
    read.alpha = true;
    read.stored_colours = true;
    ASSERT_EQ(load_picture(SourceFile::open(path), picture, nullptr, read), kLoaded);
    const bool alpha = c.colour_type >= 4 || !c.chunks.empty();
    // 16 bits: round(v × 255 / 65535) of each sample as written (ImageMagick
    // rounds alpha differently); 8 bits: as ImageMagick decodes the file.
    std::vector<uint8_t> expected;
    if (c.depth == 16) {
      for (size_t i = 0; i < rows.size(); i += 2 * static_cast<size_t>(c.samples)) {
        std::vector<uint8_t> pixel;
        for (int s = 0; s < c.samples; ++s) {
          const unsigned v = rows[i + 2 * static_cast<size_t>(s)] * 256u + rows[i + 2 * static_cast<size_t>(s) + 1];
          pixel.push_back(static_cast<uint8_t>((v * 255 + 32767) / 65535));
        }
        if (c.samples == 1) pixel = {pixel[0], pixel[0], pixel[0]};
        expected.insert(expected.end(), pixel.begin(), pixel.end());
      }
    } else {
      expected = samples_of(path, alpha ? "RGBA" : "RGB");
    }
    std::vector<uint8_t> got;
    for (int32_t y = 0; y < picture.height(); ++y) {
      for (int32_t x = 0; x < picture.width(); ++x) {
        const uint8_t* p = picture.row(y) + static_cast<size_t>(x) * picture.bits() / 8;
        if (picture.bits() == 32) {
          got.insert(got.end(), {p[1], p[2], p[3], p[0]});
        } else if (picture.bits() == 24) {
          got.insert(got.end(), {p[0], p[1], p[2]});
        } else {
          got.insert(got.end(), {p[0], p[0], p[0]});
        }
      }
    }
    EXPECT_EQ(picture.bits(), alpha ? 32u : c.samples == 1 ? 8u : 24u);
    EXPECT_EQ(got, expected);
  }
}

// What a photo carries reaches a PNG before its picture data, and comes
// back from it: the profile, EXIF (its orientation too) and XMP.
TEST(PngChunks, ProfileAndMetadataGoIntoPngAndComeBack) {
  const TempFolder folder;
  run_tool("cd " + shell_quote(folder.path()) + " && convert -size 40x30 gradient:red-blue -profile " +
           shell_quote(kAdobeRgb) +
           " photo.jpg && exiftool -q -overwrite_original -Orientation#=6 -Artist='A Person' -XMP-dc:Title=Sea"
           " photo.jpg");
  const std::string png = converted(TargetFormat::kPng, folder.file("photo.jpg"), folder.file("photo.png"),
                                    photo_options(ColourHandling::kProfile));
  const std::string check = run_command("pngcheck -v " + shell_quote(png)).out;
  const size_t data = check.find("chunk IDAT");
  for (const char* chunk : {"chunk iCCP", "chunk eXIf", "XML:com.adobe.xmp"}) {
    EXPECT_LT(check.find(chunk), data) << chunk << " in\n" << check;
  }
  EXPECT_NE(check.find("No errors detected"), std::string::npos) << check;
  const std::string said = "exiftool -s3 -ImageWidth -Orientation -Artist -Title -ProfileDescription ";
  EXPECT_EQ(run_command(said + shell_quote(png)).out,
            "30\nHorizontal (normal)\nA Person\nSea\nCompatible with Adobe RGB (1998)\n");

  // From the PNG back to JPEG, with the orientation left as stored.
  run_tool("exiftool -q -overwrite_original -Orientation#=8 " + shell_quote(png));
  ConvertOptions keep = photo_options(ColourHandling::kProfile);
  keep.upright = false;
  const std::string jpg = converted(TargetFormat::kJpg, png, folder.file("back.jpg"), keep);
  EXPECT_EQ(run_command(said + shell_quote(jpg)).out,
            "30\nRotate 270 CW\nA Person\nSea\nCompatible with Adobe RGB (1998)\n");
}

}  // namespace
}  // namespace quorvant::engine
