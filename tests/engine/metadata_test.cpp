// The metadata a conversion carries: EXIF and XMP edits, EXIF blocks no
// camera would write, and TIFF's transparency, 16-bit samples, profile and
// metadata read and written. Files are made with ImageMagick, exiftool and
// libtiff, and judged with exiftool, tiffinfo and libtiff.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <array>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tuple>

#include "engine/convert.h"
#include "engine/loader.h"
#include "engine/metadata/exif_block.h"
#include "engine/metadata/exif_fields.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using metadata::ExifEdits;
using testing::shell_quote;

const std::string kProfile = "/usr/share/color/icc/ghostscript/a98.icc";

// exiftool's reading of a file, "Group:Tag" to value, numbers as numbers.
std::map<std::string, std::string> exiftool_tags(const std::string& path) {
  const std::vector<uint8_t> out = testing::run_tool("exiftool -a -s -G1 -n " + shell_quote(path));
  std::map<std::string, std::string> tags;
  std::istringstream lines(std::string(out.begin(), out.end()));
  for (std::string line; std::getline(lines, line);) {
    const size_t close = line.find(']');
    const size_t colon = line.find(" : ");
    if (line.empty() || line[0] != '[' || close == std::string::npos || colon == std::string::npos) continue;
    std::istringstream name(line.substr(close + 1, colon - close - 1));
    std::string tag;
    name >> tag;
    tags[line.substr(1, close - 1) + ":" + tag] = line.substr(colon + 3);
  }
  return tags;
}

bool any_tag_contains(const std::map<std::string, std::string>& tags, const std::string& part) {
  for (const auto& [name, value] : tags) {
    if (name.find(part) != std::string::npos) return true;
  }
  return false;
}

// A photo as a camera writes it: EXIF with orientation 6, a thumbnail and
// a place; XMP saying the same; IPTC keywords; an ICC profile. Made once.
// What exiftool reads of the camera photo's EXIF.
std::map<std::string, std::string> camera_tags() {
  return {{"IFD0:Make", "Canon"},
          {"IFD0:Model", "EOS 5D"},
          {"ExifIFD:DateTimeOriginal", "2021:05:06 07:08:09"},
          {"ExifIFD:ExposureTime", "0.008"},
          {"ExifIFD:FNumber", "5.6"},
          {"ExifIFD:ISO", "400"}};
}

const std::string& camera_photo() {
  static testing::TempFolder folder;
  static const std::string photo = [] {
    const std::string path = folder.file("photo.jpg");
    testing::run_tool("convert -size 64x48 gradient:red-blue " + shell_quote(path) +
                      " && convert -size 16x12 xc:green " + shell_quote(folder.file("thumb.jpg")));
    testing::run_tool(
        "exiftool -q -overwrite_original -Make=Canon '-Model=EOS 5D' "
        "'-DateTimeOriginal=2021:05:06 07:08:09' -ExposureTime=1/125 -FNumber=5.6 -ISO=400 "
        "-Orientation#=6 -GPSLatitude=48.85 -GPSLatitudeRef=N -GPSLongitude=2.35 -GPSLongitudeRef=E "
        "'-ThumbnailImage<=" +
        folder.file("thumb.jpg") +
        "' -XMP-tiff:Orientation#=6 "
        "-XMP-exif:GPSLatitude=48.85 -XMP-dc:Title=hello -IPTC:Keywords=kw "
        "'-ICC_Profile<=" +
        kProfile + "' " + shell_quote(path));
    return path;
  }();
  return photo;
}

std::vector<uint8_t> exif_block_of_file(const std::string& path) {
  return testing::run_tool("exiftool -b -EXIF " + shell_quote(path));
}

// ---------------------------------------------------------------- EXIF edits

TEST(ExifEdits, EachEditChangesItsTagsAndKeepsEveryOther) {
  struct Case {
    const char* name;
    ExifEdits edits;
    int orientation;
    bool place;
    bool thumbnail;
  };
  const Case cases[] = {
      {"upright", {.reset_orientation = true}, 1, true, true},
      {"no place", {.drop_location = true}, 6, false, true},
      {"no thumbnail", {.drop_thumbnail = true}, 6, true, false},
      {"all three", {.reset_orientation = true, .drop_thumbnail = true, .drop_location = true}, 1, false, false},
  };
  const std::vector<uint8_t> block = exif_block_of_file(camera_photo());
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(metadata::exif_orientation(block), 6);
  EXPECT_EQ(metadata::edited_exif(block, {}), block) << "nothing asked: the block as it came";
  testing::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> edited = metadata::edited_exif(block, c.edits);
    ASSERT_FALSE(edited.empty());
    EXPECT_EQ(metadata::exif_orientation(edited), c.orientation);
    const std::string path = folder.file(std::string(c.name) + ".exif");
    testing::write_bytes(path, edited);
    const auto tags = exiftool_tags(path);
    EXPECT_EQ(tags.count("IFD0:Orientation") ? tags.at("IFD0:Orientation") : "none", std::to_string(c.orientation));
    EXPECT_EQ(any_tag_contains(tags, "GPS"), c.place);
    EXPECT_EQ(tags.count("IFD1:ThumbnailLength") != 0, c.thumbnail);
    for (const auto& [tag, value] : camera_tags()) {
      EXPECT_EQ(tags.count(tag) ? tags.at(tag) : "missing", value) << tag;
    }
  }
}

TEST(ExifEdits, EditsThatFindNothingToChangeCopyTheBlock) {
  testing::TempFolder folder;
  const std::string path = folder.file("plain.jpg");
  testing::run_tool("convert -size 8x8 xc:gray " + shell_quote(path) +
                    " && exiftool -q -overwrite_original -Make=Nikon -Orientation#=1 " + shell_quote(path));
  const std::vector<uint8_t> block = exif_block_of_file(path);
  ASSERT_FALSE(block.empty());
  // libexif would lay the block out again; nothing to change, nothing is.
  EXPECT_EQ(metadata::edited_exif(block, {.reset_orientation = true, .drop_thumbnail = true, .drop_location = true}),
            block);
}

// ---------------------------------------------------------------- hostile EXIF

// A little-endian EXIF block built entry by entry.
struct BlockBuilder {
  std::vector<uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
  void u16(uint32_t v) { bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8)}); }
  void u32(uint32_t v) { bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
  void entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    u16(tag);
    u16(type);
    u32(count);
    u32(value);
  }
};

// Whether the block's first directory holds `tag`, read without libexif.
bool first_directory_has(const std::vector<uint8_t>& b, uint16_t tag) {
  if (b.size() < 10 || b[0] != 'I') return false;
  const uint32_t at = b[4] | b[5] << 8 | b[6] << 16 | uint32_t{b[7]} << 24;
  if (at + 2 > b.size()) return false;
  const uint32_t count = b[at] | b[at + 1] << 8;
  for (uint32_t i = 0; i < count && at + 2 + 12 * i + 12 <= b.size(); ++i) {
    if ((b[at + 2 + 12 * i] | b[at + 3 + 12 * i] << 8) == tag) return true;
  }
  return false;
}

TEST(HostileExif, BlocksNoCameraWritesAreSurvivedAndNeverCarryAPlaceOrTurn) {
  constexpr uint16_t kShort = 3, kLong = 4, kAscii = 2;
  struct Case {
    const char* name;
    std::vector<uint8_t> block;
    int orientation;
  };
  std::vector<Case> cases;
  {
    BlockBuilder b;  // the first directory names itself as the next one
    b.u16(1);
    b.entry(0x0112, kShort, 1, 6);
    b.u32(8);
    cases.push_back({"next directory loops to itself", b.bytes, 6});
  }
  {
    BlockBuilder b;  // the EXIF directory is the first directory again
    b.u16(2);
    b.entry(0x0112, kShort, 1, 3);
    b.entry(0x8769, kLong, 1, 8);
    b.u32(0);
    cases.push_back({"EXIF directory loops to the first", b.bytes, 3});
  }
  {
    BlockBuilder b;
    b.u16(2);
    b.entry(0x0112, kShort, 1, 8);
    b.entry(0x8825, kLong, 1, 0x7FFFFFF0);
    b.u32(0);
    cases.push_back({"GPS directory outside the block", b.bytes, 8});
  }
  {
    BlockBuilder b;  // a place beyond the first 64 KiB, which libexif never reads
    b.u16(1);
    b.entry(0x8825, kLong, 1, 70000);
    b.u32(0);
    b.bytes.resize(70000, 0);
    b.u16(1);
    b.entry(0x0002, 5, 3, 70020);
    b.u32(0);
    b.bytes.resize(70100, 1);
    cases.push_back({"GPS directory past libexif's 64 KiB", b.bytes, 1});
  }
  {
    BlockBuilder b;
    b.u16(2);
    b.entry(0x010F, kAscii, 0xFFFFFFFF, 26);
    b.entry(0x0112, kShort, 1, 5);
    b.u32(0);
    cases.push_back({"Make claims 4 billion characters", b.bytes, 5});
  }
  {
    BlockBuilder b;
    b.u16(0xFFFF);
    b.entry(0x0112, kShort, 1, 2);
    cases.push_back({"directory claims 65535 entries and holds one", b.bytes, 2});
  }
  {
    BlockBuilder b;
    b.bytes[4] = 0xF0;
    b.bytes[7] = 0x7F;
    cases.push_back({"first directory past the block's end", b.bytes, 1});
  }
  {
    BlockBuilder b;  // an Orientation other programs read, of a type libexif cannot set
    b.u16(1);
    b.entry(0x0112, kLong, 1, 6);
    b.u32(0);
    cases.push_back({"Orientation stored as LONG", b.bytes, 1});
  }
  {
    BlockBuilder b;  // 64 KiB of EXIF directories, each inside the one before
    while (b.bytes.size() < 65000) {
      const auto next = static_cast<uint32_t>(b.bytes.size() + 18);
      b.u16(1);
      b.entry(0x8769, kLong, 1, next);
      b.u32(0);
    }
    cases.push_back({"64 KiB of nested EXIF directories", b.bytes, 1});
  }
  // An EXIF or GPS directory of one tag libtiff does not know.
  for (const auto& [pointer, tag, type, name] :
       {std::tuple{uint16_t{0x8769}, uint16_t{0xEA1C}, uint16_t{7}, "EXIF directory of a tag libtiff does not know"},
        std::tuple{uint16_t{0x8825}, uint16_t{0x9999}, kShort, "GPS directory of a tag libtiff does not know"}}) {
    BlockBuilder b;
    b.u16(1);
    b.entry(pointer, kLong, 1, 26);
    b.u32(0);
    b.u16(1);
    b.entry(tag, type, 1, 5);
    b.u32(0);
    cases.push_back({name, b.bytes, 1});
  }
  testing::ScratchFolder scratch;
  testing::TempFolder folder;
  const std::vector<uint8_t> photo = testing::read_bytes(testing::corpus("jpeg/testorig.jpg"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Carried whole into a TIFF, whatever libtiff makes of it, the picture
    // is written (one APP1 segment holds at most 65533 bytes).
    if (c.block.size() <= 65000) {
      std::vector<uint8_t> jpeg(photo.begin(), photo.begin() + 2);
      const size_t length = c.block.size() + 8;
      jpeg.insert(jpeg.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
      jpeg.insert(jpeg.end(), c.block.begin(), c.block.end());
      jpeg.insert(jpeg.end(), photo.begin() + 2, photo.end());
      testing::write_bytes(folder.file("hostile.jpg"), jpeg);
      ConvertOptions options;
      options.upright = true;
      options.metadata = MetadataHandling::kAll;
      const Conversion done =
          convert_picture(TargetFormat::kTif, folder.file("hostile.jpg"), folder.file("out.tif"), options);
      EXPECT_EQ(done.code, kWritten) << done.reason;
    }
    EXPECT_EQ(metadata::exif_orientation(c.block), c.orientation);
    const std::vector<uint8_t> edited =
        metadata::edited_exif(c.block, {.reset_orientation = true, .drop_thumbnail = true, .drop_location = true});
    // Either no block at all, or one that neither turns nor places the photo.
    EXPECT_FALSE(first_directory_has(edited, 0x8825));
    EXPECT_EQ(metadata::exif_orientation(edited), 1);
    EXPECT_FALSE(first_directory_has(edited, 0x0112) && metadata::exif_orientation(edited) != 1);
    for (const metadata::ExifField& field : metadata::exif_fields_of(edited)) {
      EXPECT_NE(field.directory, metadata::ExifDirectory::kGps);
      EXPECT_FALSE(field.directory == metadata::ExifDirectory::kMain && field.tag == 0x0112 &&
                   field.value != std::vector<uint8_t>({1, 0}));
    }
  }
}

// ---------------------------------------------------------------- XMP edits

TEST(XmpEdits, OrientationAndPlaceChangeAndEveryOtherByteStays) {
  const ExifEdits upright{.reset_orientation = true};
  const ExifEdits no_place{.drop_location = true};
  const ExifEdits both{.reset_orientation = true, .drop_location = true};
  struct Case {
    const char* name;
    ExifEdits edits;
    std::string packet;
    std::string expected;
  };
  const std::string head = "<?xpacket begin='x'?><rdf:Description xmlns:tiff='http://ns.adobe.com/tiff/1.0/' ";
  const Case cases[] = {
      {"attribute orientation", upright, head + "tiff:Orientation=\"6\" tiff:Make='C'/>",
       head + "tiff:Orientation=\"1\" tiff:Make='C'/>"},
      {"element orientation", upright, "<a><tiff:Orientation>8</tiff:Orientation><tiff:Make>8</tiff:Make></a>",
       "<a><tiff:Orientation>1</tiff:Orientation><tiff:Make>8</tiff:Make></a>"},
      {"orientation left alone without the edit", no_place, "<tiff:Orientation>6</tiff:Orientation>",
       "<tiff:Orientation>6</tiff:Orientation>"},
      {"place attributes", no_place, "<d exif:GPSLatitude='48,51N'\n exif:GPSLongitude=\"2,21E\" exif:ISO='4'/>",
       "<d exif:ISO='4'/>"},
      {"place elements, nested ones too", no_place,
       "<d>\n <exif:GPSVersionID>2.2.0.0</exif:GPSVersionID>\n <exif:GPSAreaInformation><rdf:Alt><rdf:li>x</rdf:li>"
       "</rdf:Alt></exif:GPSAreaInformation>\n <exif:GPSAltitude/>\n <exif:FNumber>5.6</exif:FNumber>\n</d>",
       "<d>\n <exif:FNumber>5.6</exif:FNumber>\n</d>"},
      {"the packet's own prefix for the EXIF namespace", both,
       "<d xmlns:e='http://ns.adobe.com/exif/1.0/' xmlns:t='http://ns.adobe.com/tiff/1.0/' e:GPSLatitude='1' "
       "t:Orientation='3'><e:GPSLongitude>2</e:GPSLongitude></d>",
       "<d xmlns:e='http://ns.adobe.com/exif/1.0/' xmlns:t='http://ns.adobe.com/tiff/1.0/' t:Orientation='1'></d>"},
      {"comments and other namespaces are no properties", both,
       "<!-- <exif:GPSLatitude>1</exif:GPSLatitude> --><other:GPSLatitude>1</other:GPSLatitude>",
       "<!-- <exif:GPSLatitude>1</exif:GPSLatitude> --><other:GPSLatitude>1</other:GPSLatitude>"},
      {"an element never closed: the rest as it is", both, "<a tiff:Orientation='6'/><exif:GPSLatitude>1",
       "<a tiff:Orientation='1'/><exif:GPSLatitude>1"},
      {"a quote never closed", both, "<a exif:GPSLatitude='1/>", "<a exif:GPSLatitude='1/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> packet(c.packet.begin(), c.packet.end());
    const std::vector<uint8_t> edited = metadata::edited_xmp(packet, c.edits);
    EXPECT_EQ(std::string(edited.begin(), edited.end()), c.expected);
    EXPECT_EQ(metadata::edited_xmp(packet, {}), packet);
  }
  // Megabytes of openings that never close end in one pass, unchanged.
  std::string hostile;
  for (int i = 0; i < 200000; ++i) hostile += "<exif:GPSA x='1'>";
  const std::vector<uint8_t> packet(hostile.begin(), hostile.end());
  EXPECT_EQ(metadata::edited_xmp(packet, both), packet);
}

// ---------------------------------------------------------------- TIFF

// A 2 x 1 TIFF written by libtiff: `samples` per pixel of `bits`, the last
// one an extra sample of `extra` kind when extra is not 0xFFFF.
void write_tiff(const std::string& path, uint16_t bits, uint16_t samples, uint16_t extra,
                const std::vector<uint16_t>& values) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 2);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (extra != 0xFFFF) TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
  std::vector<uint8_t> row;
  for (const uint16_t v : values) {
    if (bits == 16) {
      row.insert(row.end(), {uint8_t(v), uint8_t(v >> 8)});
    } else {
      row.push_back(static_cast<uint8_t>(v));
    }
  }
  EXPECT_EQ(TIFFWriteScanline(tiff, row.data(), 0, 0), 1);
  TIFFClose(tiff);
}

std::vector<uint8_t> load(const std::string& path, const ReadOptions& options, PictureNotes* notes = nullptr) {
  ImageBuffer picture;
  std::string why;
  EXPECT_EQ(load_picture(SourceFile::open(path), picture, &why, options, notes), kLoaded) << why;
  std::vector<uint8_t> pixels(picture.pixels(), picture.pixels() + picture.pixel_bytes());
  pixels.insert(pixels.begin(), static_cast<uint8_t>(picture.bits()));
  return pixels;  // the bits, then the pixels
}

TEST(TiffReader, AlphaAndSixteenBitSamplesAsAsked) {
  constexpr uint16_t kNone = 0xFFFF;
  const ReadOptions plain;
  const ReadOptions alpha{.alpha = true};
  const ReadOptions more{.more_kinds = true};
  struct Case {
    const char* name;
    uint16_t bits, samples, extra;
    std::vector<uint16_t> values;
    ReadOptions options;
    std::vector<uint8_t> expected;  // bits, then pixels
  };
  // 25829 is 100.5 x 257: rounded to 101 (dropping the low byte gives 100).
  const Case cases[] = {
      {"straight alpha kept",
       8,
       4,
       EXTRASAMPLE_UNASSALPHA,
       {200, 100, 50, 128, 9, 8, 7, 0},
       alpha,
       {32, 128, 200, 100, 50, 0, 9, 8, 7}},
      {"associated alpha divided out, 0 where nothing shows",
       8,
       4,
       EXTRASAMPLE_ASSOCALPHA,
       {100, 50, 25, 128, 9, 8, 7, 0},
       alpha,
       {32, 128, 199, 100, 50, 0, 0, 0, 0}},
      {"straight alpha dropped unasked, colours as stored",
       8,
       4,
       EXTRASAMPLE_UNASSALPHA,
       {200, 100, 50, 128, 9, 8, 7, 0},
       plain,
       {24, 200, 100, 50, 9, 8, 7}},
      {"associated alpha dropped unasked, colours as stored",
       8,
       4,
       EXTRASAMPLE_ASSOCALPHA,
       {100, 50, 25, 128, 9, 8, 7, 0},
       plain,
       {24, 100, 50, 25, 9, 8, 7}},
      {"an unspecified extra sample is no alpha",
       8,
       4,
       EXTRASAMPLE_UNSPECIFIED,
       {200, 100, 50, 128, 9, 8, 7, 0},
       alpha,
       {24, 200, 100, 50, 9, 8, 7}},
      {"16 bits rounded", 16, 3, kNone, {25829, 0, 65535, 128, 129, 65406}, more, {24, 101, 0, 255, 0, 1, 254}},
      {"16 bits rounded as always without the option",
       16,
       3,
       kNone,
       {25829, 0, 65535, 128, 129, 65406},
       plain,
       {24, 101, 0, 255, 0, 1, 254}},
      {"16 bits with straight alpha",
       16,
       4,
       EXTRASAMPLE_UNASSALPHA,
       {25829, 0, 65535, 32896, 0, 0, 0, 65535},
       alpha,
       {32, 128, 101, 0, 255, 255, 0, 0, 0}},
      {"16-bit grey rounded", 16, 1, kNone, {25829, 65406}, more, {24, 101, 101, 101, 254, 254, 254}},
      {"16-bit grey by its high byte without the option",
       16,
       1,
       kNone,
       {25829, 65406},
       plain,
       {24, 100, 100, 100, 255, 255, 255}},
      {"16-bit grey with straight alpha",
       16,
       2,
       EXTRASAMPLE_UNASSALPHA,
       {25829, 32896, 65406, 0},
       ReadOptions{.more_kinds = true, .alpha = true},
       {32, 128, 101, 101, 101, 0, 254, 254, 254}},
  };
  testing::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.file("in.tif");
    write_tiff(path, c.bits, c.samples, c.extra, c.values);
    EXPECT_EQ(load(path, c.options), c.expected);
  }
}

TEST(TiffWriter, TransparencyIsWrittenAsStraightAlpha) {
  testing::ScratchFolder scratch;
  testing::TempFolder folder;
  write_tiff(folder.file("in.tif"), 8, 4, EXTRASAMPLE_ASSOCALPHA, {100, 50, 25, 128, 9, 8, 7, 0});
  ConvertOptions options;
  options.alpha = true;
  ASSERT_EQ(convert_picture(TargetFormat::kTif, folder.file("in.tif"), folder.file("out.tif"), options).code, kWritten);
  TIFF* tiff = TIFFOpen(folder.file("out.tif").c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  uint16_t samples = 0;
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  ASSERT_EQ(TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds), 1);
  EXPECT_EQ(samples, 4);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(kinds[0], EXTRASAMPLE_UNASSALPHA);
  std::array<uint8_t, 8> row{};
  ASSERT_EQ(TIFFReadScanline(tiff, row.data(), 0, 0), 1);
  TIFFClose(tiff);
  EXPECT_EQ(row, (std::array<uint8_t, 8>{199, 100, 50, 128, 0, 0, 0, 0}));
  const std::vector<uint8_t> info = testing::run_tool("tiffinfo " + shell_quote(folder.file("out.tif")));
  EXPECT_NE(std::string(info.begin(), info.end()).find("unassoc-alpha"), std::string::npos);
}

TEST(TiffMetadata, ProfileAndMetadataGoIntoTiffAndComeBackOut) {
  testing::ScratchFolder scratch;
  testing::TempFolder folder;
  ConvertOptions options;
  options.upright = true;
  options.colour = ColourHandling::kProfile;
  options.metadata = MetadataHandling::kAll;
  const std::string tif = folder.file("photo.tif");
  ASSERT_EQ(convert_picture(TargetFormat::kTif, camera_photo(), tif, options).code, kWritten);
  const std::vector<uint8_t> info = testing::run_tool("tiffinfo " + shell_quote(tif));
  EXPECT_NE(std::string(info.begin(), info.end()).find("Image Width: 48 Image Length: 64"), std::string::npos);

  // Back out of the TIFF into a JPEG, without the place this time.
  options.metadata = MetadataHandling::kAllButPlace;
  const std::string jpg = folder.file("again.jpg");
  ASSERT_EQ(convert_picture(TargetFormat::kJpg, tif, jpg, options).code, kWritten);

  const std::vector<uint8_t> profile = testing::read_bytes(kProfile);
  for (const std::string& path : {tif, jpg}) {
    SCOPED_TRACE(path);
    const auto tags = exiftool_tags(path);
    std::map<std::string, std::string> expected = camera_tags();
    expected.insert({{"XMP-dc:Title", "hello"}, {"XMP-tiff:Orientation", "1"}});
    for (const auto& [tag, value] : expected) {
      // libtiff keeps a TIFF's EXIF rationals as single-precision numbers.
      const std::string got = tags.count(tag) ? tags.at(tag) : "missing";
      if (value.find_first_not_of("0123456789.") == std::string::npos && got != "missing") {
        EXPECT_NEAR(std::atof(got.c_str()), std::atof(value.c_str()), 1e-7 * std::atof(value.c_str())) << tag;
      } else {
        EXPECT_EQ(got, value) << tag;
      }
    }
    EXPECT_TRUE(any_tag_contains(tags, "Keywords"));
    EXPECT_EQ(testing::run_tool("exiftool -b -ICC_Profile " + shell_quote(path)), profile);
    const bool place_kept = path == tif;
    EXPECT_EQ(tags.count("GPS:GPSLatitude") ? tags.at("GPS:GPSLatitude") : "none", place_kept ? "48.85" : "none");
    EXPECT_EQ(any_tag_contains(tags, "GPS"), place_kept);
  }
  // The TIFF reader turns pictures upright itself, and says so.
  PictureNotes notes;
  notes.orientation = 6;
  load(tif, {.notes = true}, &notes);
  EXPECT_EQ(notes.orientation, 1);
  EXPECT_EQ(notes.icc_profile, profile);
  EXPECT_EQ(metadata::exif_orientation(notes.exif), 1);
}

}  // namespace
}  // namespace quorvant::engine
