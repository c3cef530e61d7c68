#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "engine/convert.h"
#include "engine/jpeg/jpeg_bands.h"
#include "engine/jpeg/jpeg_reader.h"
#include "engine/jpeg/jpeg_writer.h"
#include "engine/loader.h"
#include "engine/worker_pool.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using testing::read_bytes;
using testing::write_bytes;

// Mean absolute difference between two sample arrays of one size.
double mean_difference(const uint8_t* a, const uint8_t* b, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return sum / static_cast<double>(count);
}

class JpegTest : public ::testing::Test {
 protected:
  testing::ScratchFolder scratch_;
  testing::TempFolder files_;

  bool write(const ImageBuffer& picture, const std::string& path, const WriteSettings& settings) {
    jpeg::JpegWriter writer;
    return writer.open(path, picture, settings, nullptr) && writer.write();
  }
  std::string stored(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = files_.file(name);
    write_bytes(path, bytes);
    return path;
  }
};

TEST_F(JpegTest, ReadsTheReferenceFilesLikeTheLibrarysOwnDecoder) {
  // Baseline, restart intervals and arithmetic coding.
  for (const char* name : {"jpeg/testorig.jpg", "jpeg/testimgint.jpg", "jpeg/testimgari.jpg"}) {
    const std::string path = testing::corpus(name);
    ImageBuffer picture;
    ASSERT_EQ(load_picture(path, picture), kLoaded) << name;
    ASSERT_EQ(picture.bits(), 24u);
    const testing::Pnm reference = testing::decode_with_djpeg(path);
    ASSERT_EQ(picture.width(), reference.width);
    ASSERT_EQ(picture.height(), reference.height);
    EXPECT_EQ(0, std::memcmp(picture.pixels(), reference.samples.data(), picture.pixel_bytes())) << name;
  }
  // testorig.ppm is the picture that testorig.jpg was compressed from.
  ImageBuffer picture;
  ASSERT_EQ(load_picture(testing::corpus("jpeg/testorig.jpg"), picture), kLoaded);
  const testing::Pnm original = testing::parse_pnm(read_bytes(testing::corpus("jpeg/testorig.ppm")));
  ASSERT_EQ(original.samples.size(), picture.pixel_bytes());
  EXPECT_LT(mean_difference(picture.pixels(), original.samples.data(), picture.pixel_bytes()), 4.0);
}

// How libjpeg lays out the one scan of `path`.
jpeg::ScanGeometry geometry_of(const std::string& path) {
  jpeg_decompress_struct decompress{};
  codecs::JpegErrors errors{};
  decompress.err = codecs::install_errors(errors, codecs::DamagedData::kFatal);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  jpeg::ScanGeometry geometry;
  if (setjmp(errors.recovery) == 0) {
    jpeg_create_decompress(&decompress);
    jpeg_stdio_src(&decompress, file.get());
    jpeg_read_header(&decompress, TRUE);
    jpeg_start_decompress(&decompress);
    geometry = jpeg::scan_geometry(decompress);
  }
  jpeg_destroy_decompress(&decompress);
  EXPECT_GT(geometry.height, 0) << path << ": " << errors.message;
  return geometry;
}

UniqueFd open_source(const std::string& path) { return UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)); }

// The bands of `path` at `edges`, started at restart markers where they can.
jpeg::BandPlan plan_at(const std::string& path, const std::vector<int32_t>& edges) {
  PositionedReader file(open_source(path));
  return jpeg::plan_bands_at(file, geometry_of(path), edges);
}

// The rows of `path` decoded in the bands of `plan`, each by a
// decompressor of its own.
std::vector<uint8_t> decoded_in_bands(const std::string& path, const testing::Pnm& size, const jpeg::BandPlan& plan) {
  ImageBuffer picture;
  EXPECT_TRUE(picture.create(size.width, size.height, size.channels == 1 ? 8 : 24, 0));
  const std::string failure =
      jpeg::decode_in_bands(open_source(path), uint64_t{64} << 20, plan, picture, WorkerPool::shared(),
                            [](const codecs::JpegErrors& errors) { return std::string(errors.message); });
  EXPECT_EQ(failure, "");
  return {picture.pixels(), picture.pixels() + picture.pixel_bytes()};
}

size_t starts_at_markers(const jpeg::BandPlan& plan) {
  return static_cast<size_t>(std::count_if(plan.starts.begin(), plan.starts.end(),
                                           [](const jpeg::BandStart& start) { return start.data_offset != 0; }));
}

// Bands decode the rows one decompressor decodes, wherever they start:
// in a row of blocks, on its first row or its last, on the picture's last
// row; at every sampling, grey, at odd sizes; with restart markers, from
// the marker before the band, whether every row of blocks or only every
// third opens at one.
TEST_F(JpegTest, BandsDecodeTheRowsOfOneDecompressor) {
  const std::string source = files_.file("source.ppm");
  const struct {
    const char* name;
    const char* size;
    const char* cjpeg;
    bool restarts;
  } files[] = {
      {"444.jpg", "61x47", "-sample 1x1", false},
      {"422.jpg", "64x48", "-sample 2x1", false},
      {"420.jpg", "97x130", "-sample 2x2", false},
      {"grey.jpg", "33x65", "-grayscale", false},
      {"restarts-420.jpg", "80x200", "-sample 2x2 -restart 1", true},
      {"restarts-422-every-third-row.jpg", "100x150", "-sample 2x1 -restart 3B", true},
      {"restarts-grey.jpg", "37x131", "-grayscale -restart 1", true},
      {"restarts-444.jpg", "41x99", "-sample 1x1 -restart 6B", true},
  };
  std::vector<std::pair<std::string, bool>> paths = {{testing::corpus("jpeg/testorig.jpg"), false},
                                                     {testing::corpus("jpeg/testimgint.jpg"), false}};
  for (const auto& file : files) {
    testing::run_tool(std::string("convert-im6.q16 -seed 5 -size ") + file.size + " plasma:fractal " +
                      testing::shell_quote(source));
    paths.emplace_back(files_.file(file.name), file.restarts);
    testing::run_tool(std::string("cjpeg ") + file.cjpeg + " -outfile " + testing::shell_quote(paths.back().first) +
                      " " + testing::shell_quote(source));
  }
  for (const auto& [path, restarts] : paths) {
    SCOPED_TRACE(path);
    const testing::Pnm whole = testing::decode_with_djpeg(path);
    const int32_t height = whole.height;
    std::vector<std::vector<int32_t>> splits = {jpeg::band_edges(height, 16, 4), jpeg::band_edges(height, 8, 3),
                                                jpeg::band_edges(height, 8, 5, 0.0)};
    for (const int32_t edge : {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 47, 48, 49, height - 1}) {
      if (edge > 0 && edge < height) splits.push_back({0, edge, height});
    }
    size_t marker_starts = 0;
    for (const std::vector<int32_t>& edges : splits) {
      SCOPED_TRACE(::testing::PrintToString(edges));
      const jpeg::BandPlan plan = plan_at(path, edges);
      marker_starts += starts_at_markers(plan);
      EXPECT_TRUE(decoded_in_bands(path, whole, plan) == whole.samples);
    }
    EXPECT_EQ(marker_starts > 0, restarts);
  }
}

// A file whose restart markers are out of their turn is decoded by bands
// that skip from the file's start, which meet the damage as one
// decompressor does.
TEST_F(JpegTest, BandsStartAtMarkersOnlyWhenTheMarkersAreInTurn) {
  const std::string source = files_.file("source.ppm");
  testing::run_tool("convert-im6.q16 -seed 3 -size 64x160 plasma:fractal " + testing::shell_quote(source));
  const std::string path = files_.file("restarts.jpg");
  testing::run_tool("cjpeg -restart 1 -outfile " + testing::shell_quote(path) + " " + testing::shell_quote(source));
  const std::vector<int32_t> edges = {0, 64, 112, 160};
  ASSERT_EQ(starts_at_markers(plan_at(path, edges)), 2u);

  // The third marker, 0xFF 0xD2, made a second RST1.
  std::vector<uint8_t> bytes = read_bytes(path);
  const uint8_t third[] = {0xFF, 0xD2};
  const auto at = std::search(bytes.begin(), bytes.end(), std::begin(third), std::end(third));
  ASSERT_NE(at, bytes.end());
  at[1] = 0xD1;
  const std::string damaged = stored("misnumbered.jpg", bytes);
  const jpeg::BandPlan plan = plan_at(damaged, edges);
  EXPECT_EQ(starts_at_markers(plan), 0u);
  EXPECT_EQ(plan.edges, edges);
  ImageBuffer picture;
  ASSERT_TRUE(picture.create(64, 160, 24, 0));
  const std::string failure =
      jpeg::decode_in_bands(open_source(damaged), uint64_t{64} << 20, plan, picture, WorkerPool::shared(),
                            [](const codecs::JpegErrors& errors) { return std::string(errors.message); });
  EXPECT_NE(failure.find("RST"), std::string::npos) << failure;
}

// A picture large enough to be decoded in bands on the worker pool comes
// out as the library's own decoder makes it; cut short, it is refused as
// damaged, as a picture decoded whole is.
TEST_F(JpegTest, LargePicturesReadInBandsAsTheLibraryDecodesThem) {
  const std::string source = files_.file("large.ppm");
  testing::run_tool("convert-im6.q16 -seed 9 -size 2000x1100 plasma:fractal " + testing::shell_quote(source));
  const std::string path = files_.file("large.jpg");
  testing::run_tool("cjpeg -quality 90 -outfile " + testing::shell_quote(path) + " " + testing::shell_quote(source));
  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  const testing::Pnm reference = testing::decode_with_djpeg(path);
  ASSERT_EQ(picture.pixel_bytes(), reference.samples.size());
  EXPECT_EQ(0, std::memcmp(picture.pixels(), reference.samples.data(), picture.pixel_bytes()));

  std::vector<uint8_t> bytes = read_bytes(path);
  bytes.resize(bytes.size() * 3 / 4);
  std::string reason;
  ImageBuffer cut;
  EXPECT_EQ(load_picture(stored("cut.jpg", bytes), cut, &reason), kUnreadable);
  EXPECT_NE(reason.find("damaged JPEG data"), std::string::npos) << reason;
}

// With a helper free, a writer that takes rows as they come starts while
// the JPEG is decoded; it writes the bytes it writes from a picture read
// whole (one thread), for every target (the picture is wide enough for the
// bottom-up writers to place several blocks of rows). A file cut short
// fails as damaged and leaves no output and no scratch file behind.
TEST_F(JpegTest, WritingWhileReadingWritesTheBytesOfAPictureReadWhole) {
  WorkerPool& pool = WorkerPool::shared();
  ASSERT_GT(pool.cores(), 1u) << "no second core to write on while reading";
  const std::string source = files_.file("source.ppm");
  testing::run_tool("convert-im6.q16 -seed 4 -size 2900x251 plasma:fractal " + testing::shell_quote(source));
  const std::string path = files_.file("source.jpg");
  testing::run_tool("cjpeg -outfile " + testing::shell_quote(path) + " " + testing::shell_quote(source));
  auto converted = [&](TargetFormat format, unsigned threads) {
    pool.limit_busy_threads(threads);
    const std::string out = files_.file("out-" + std::to_string(threads));
    const Conversion done = convert_picture(format, path, out);
    pool.limit_busy_threads(pool.cores());
    EXPECT_EQ(done.code, kWritten) << done.reason;
    return read_bytes(out);
  };
  for (const TargetFormat format :
       {TargetFormat::kBmp, TargetFormat::kPpm, TargetFormat::kPic, TargetFormat::kPcx, TargetFormat::kTif,
        TargetFormat::kJpg, TargetFormat::kPgm, TargetFormat::kPbm, TargetFormat::kSgi, TargetFormat::kPng}) {
    EXPECT_TRUE(converted(format, pool.cores()) == converted(format, 1)) << describe(format).name;
  }

  std::vector<uint8_t> bytes = read_bytes(path);
  bytes.resize(bytes.size() / 2);
  const std::string out = files_.file("cut.bmp");
  const Conversion cut = convert_picture(TargetFormat::kBmp, stored("cut.jpg", bytes), out);
  EXPECT_EQ(cut.code, kUnreadable);
  EXPECT_NE(cut.reason.find("damaged JPEG data"), std::string::npos) << cut.reason;
  EXPECT_FALSE(testing::file_exists(out));
  EXPECT_TRUE(scratch_.files().empty());
}

// Band edges: from 0 to the height, on whole row groups, later bands
// shorter by what skipping to them costs.
TEST(JpegBandEdges, EveryBandTakesTheSameTime) {
  EXPECT_EQ(jpeg::band_edges(2000, 16, 1), (std::vector<int32_t>{0, 2000}));
  // Two bands with skipping at half the cost: the cut at 2/3.
  EXPECT_EQ(jpeg::band_edges(2000, 16, 2, 0.5), (std::vector<int32_t>{0, 1328, 2000}));
  // Skipping free: equal bands.
  EXPECT_EQ(jpeg::band_edges(1600, 8, 4, 0.0), (std::vector<int32_t>{0, 400, 800, 1200, 1600}));
  // Fewer rows than bands: no empty band.
  EXPECT_EQ(jpeg::band_edges(16, 16, 4), (std::vector<int32_t>{0, 16}));
}

TEST_F(JpegTest, DeclinesTwelveBitAndCmykFiles) {
  ImageBuffer picture;
  jpeg::JpegReader reader;
  EXPECT_FALSE(reader.open(engine::SourceFile::open(testing::corpus("jpeg/monkey12.jpg")), picture, nullptr));
  EXPECT_EQ(reader.failure(), "JPEG files of 12 bits a sample are not read") << "a valid file, not a damaged one";

  std::vector<uint8_t> cmyk(16 * 8 * 4, 100);
  const std::string path = stored("cmyk.jpg", testing::make_jpeg(16, 8, 4, cmyk));
  EXPECT_FALSE(reader.open(engine::SourceFile::open(path), picture, nullptr));
  EXPECT_EQ(load_picture(path, picture), kUnreadable);
}

TEST_F(JpegTest, GreyFileBecomesEightBitGreyAndThenEqualChannels) {
  std::vector<uint8_t> samples(24 * 16);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7);
  const std::string grey_path = stored("grey.jpg", testing::make_jpeg(24, 16, 1, samples));
  ImageBuffer grey;
  ASSERT_EQ(load_picture(grey_path, grey), kLoaded);
  EXPECT_EQ(grey.bits(), 8u);
  EXPECT_EQ(grey.palette_count(), 0);

  const std::string colour_path = files_.file("colour.jpg");
  ASSERT_EQ(convert_picture(TargetFormat::kJpg, grey_path, colour_path).code, kWritten);
  const std::vector<uint8_t> bytes = read_bytes(colour_path);
  EXPECT_EQ(testing::read_jpeg_markers(bytes).components, 3);
  const testing::Pnm decoded = testing::decode_with_djpeg(colour_path);
  ASSERT_EQ(decoded.channels, 3);
  for (size_t i = 0; i < decoded.samples.size(); i += 3) {
    ASSERT_NEAR(decoded.samples[i], decoded.samples[i + 1], 1) << "pixel " << i / 3;
    ASSERT_NEAR(decoded.samples[i + 1], decoded.samples[i + 2], 1) << "pixel " << i / 3;
  }
}

TEST_F(JpegTest, GreyOutputUsesTheWeightedGreyRule) {
  // Flat colour blocks survive compression at quality 100 nearly exactly.
  const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 100, 50}};
  ImageBuffer picture = testing::make_rgb_picture(32, 8, [&](int x, int) { return colours[x / 8]; });
  WriteSettings grey;
  grey.colour = false;
  grey.quality = 100;
  const std::string path = files_.file("grey.jpg");
  ASSERT_TRUE(write(picture, path, grey));
  EXPECT_EQ(testing::read_jpeg_markers(read_bytes(path)).components, 1);
  const testing::Pnm decoded = testing::decode_with_djpeg(path);
  ASSERT_EQ(decoded.channels, 1);
  for (int block = 0; block < 4; ++block) {
    const Rgb c = colours[block];
    EXPECT_NEAR(decoded.samples[static_cast<size_t>(block * 8 + 4)], grey_level(c.red, c.green, c.blue), 1)
        << "block " << block;
  }
}

TEST_F(JpegTest, ColourOutputKeepsTheColours) {
  ImageBuffer picture = testing::make_rgb_picture(64, 48, testing::gradient);
  WriteSettings colour;
  colour.quality = 95;
  const std::string path = files_.file("colour.jpg");
  ASSERT_TRUE(write(picture, path, colour));
  const testing::JpegMarkers markers = testing::read_jpeg_markers(read_bytes(path));
  EXPECT_TRUE(markers.baseline);
  EXPECT_EQ(markers.components, 3);
  EXPECT_EQ(markers.width, 64);
  EXPECT_EQ(markers.height, 48);
  const testing::Pnm decoded = testing::decode_with_djpeg(path);
  EXPECT_LT(mean_difference(decoded.samples.data(), picture.pixels(), picture.pixel_bytes()), 4.0);
}

TEST_F(JpegTest, QualitySmoothingAndOptimisationReachTheFile) {
  ImageBuffer picture = testing::make_rgb_picture(64, 64, testing::gradient);
  auto file_for = [&](int quality, int smoothing, bool optimise) {
    WriteSettings s;
    s.quality = quality;
    s.smoothing = smoothing;
    s.optimise = optimise;
    const std::string path =
        files_.file("q" + std::to_string(quality) + "s" + std::to_string(smoothing) + (optimise ? "o" : "") + ".jpg");
    EXPECT_TRUE(write(picture, path, s));
    return path;
  };
  const std::string q75 = file_for(75, 0, false);
  const std::string q10 = file_for(10, 0, false);
  const std::string q100 = file_for(100, 0, true);
  const std::string q75opt = file_for(75, 0, true);
  const std::string smooth = file_for(75, 100, false);

  // Quality scales the standard luminance table, whose first entry is 16.
  EXPECT_EQ(testing::read_jpeg_markers(read_bytes(q75)).first_quant_table.at(0), 8);
  EXPECT_EQ(testing::read_jpeg_markers(read_bytes(q10)).first_quant_table.at(0), 80);
  EXPECT_EQ(testing::read_jpeg_markers(read_bytes(q100)).first_quant_table.at(0), 1);
  EXPECT_TRUE(testing::read_jpeg_markers(read_bytes(q100)).baseline) << "baseline is forced";

  // Optimised Huffman tables differ from the standard ones and save bytes.
  const auto plain_tables = testing::read_jpeg_markers(read_bytes(q75)).huffman;
  const auto optimised_tables = testing::read_jpeg_markers(read_bytes(q75opt)).huffman;
  EXPECT_NE(plain_tables, optimised_tables);
  EXPECT_LT(read_bytes(q75opt).size(), read_bytes(q75).size());
  EXPECT_EQ(testing::decode_with_djpeg(q75opt).samples, testing::decode_with_djpeg(q75).samples)
      << "optimised coding changes only the entropy coding";

  // Smoothing changes the picture that is coded.
  EXPECT_NE(testing::decode_with_djpeg(smooth).samples, testing::decode_with_djpeg(q75).samples);
}

TEST_F(JpegTest, PalettePicturesAreWrittenThroughTheirColours) {
  ImageBuffer indexed;
  ASSERT_TRUE(indexed.create(16, 16, 8, 256));
  indexed.palette()[3] = {0, 0, 255, 0, 0};
  std::fill(indexed.pixels(), indexed.pixels() + indexed.pixel_bytes(), 3);
  WriteSettings grey;
  grey.colour = false;
  grey.quality = 100;
  const std::string path = files_.file("palette-grey.jpg");
  ASSERT_TRUE(write(indexed, path, grey));
  const testing::Pnm decoded = testing::decode_with_djpeg(path);
  EXPECT_NEAR(decoded.samples[0], 29, 1) << "grey of pure blue, not the index 3";
}

TEST_F(JpegTest, ProgressiveFilesAreReadInOnePass) {
  std::vector<uint8_t> samples(40 * 30 * 3);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i % 251);
  const std::string path = stored("progressive.jpg", testing::make_jpeg(40, 30, 3, samples, 90, true));
  ImageBuffer picture;
  ASSERT_EQ(load_picture(path, picture), kLoaded);
  const testing::Pnm reference = testing::decode_with_djpeg(path);
  EXPECT_EQ(0, std::memcmp(picture.pixels(), reference.samples.data(), picture.pixel_bytes()));
}

TEST_F(JpegTest, ReportsProgressForEveryRow) {
  ImageBuffer picture = testing::make_rgb_picture(8, 5, testing::gradient);
  std::vector<int> rows;
  jpeg::JpegWriter writer;
  ASSERT_TRUE(writer.open(files_.file("p.jpg"), picture, {}, [&](int32_t phase, int32_t, int32_t row, int32_t) {
    EXPECT_EQ(phase, kPhaseWriting);
    rows.push_back(row);
  }));
  ASSERT_TRUE(writer.write());
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 4, 5, 4}));
}

TEST_F(JpegTest, WriterFailsOnAnEmptyPictureOrAnUnwritablePath) {
  ImageBuffer empty;
  jpeg::JpegWriter writer;
  EXPECT_FALSE(writer.open(files_.file("empty.jpg"), empty, {}, nullptr));
  EXPECT_FALSE(testing::file_exists(files_.file("empty.jpg"))) << "nothing is created for an empty picture";
  ImageBuffer picture = testing::make_rgb_picture(2, 2, testing::gradient);
  EXPECT_FALSE(writer.open(files_.path() + "/missing/x.jpg", picture, {}, nullptr));
  EXPECT_NE(writer.failure().find("No such file or directory"), std::string::npos) << writer.failure();
  EXPECT_FALSE(writer.write());
}

}  // namespace
}  // namespace quorvant::engine
