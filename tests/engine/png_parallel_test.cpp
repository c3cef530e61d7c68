// PNG picture data made on several threads: the filters libpng would
// choose, one zlib stream joined from blocks deflated apart, the same
// pixels, and a file as small as libpng's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <thread>

#include "engine/convert.h"
#include "engine/file.h"
#include "engine/png/image_data.h"
#include "engine/png/parallel_deflate.h"
#include "engine/png/png_writer.h"
#include "engine/worker_pool.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/independent_readers.h"
#include "tests/support/test_support.h"

namespace quorvant::engine {
namespace {

using png::ParallelDeflate;

std::vector<uint8_t> inflate_all(std::span<const uint8_t> stream, size_t expected) {
  std::vector<uint8_t> out(expected + 1);
  uLongf length = static_cast<uLongf>(out.size());
  // uncompress checks the zlib header and the Adler-32 at the end.
  const int result = uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size()));
  EXPECT_EQ(result, Z_OK);
  out.resize(result == Z_OK ? length : 0);
  return out;
}

// Every chunk's CRC checked; the IDAT chunks' data joined and inflated.
struct PngParts {
  std::vector<uint8_t> filtered;  // the inflated picture data
  size_t file_size = 0;
  std::vector<std::string> types;
};

PngParts parts_of(const std::vector<uint8_t>& file, size_t expected) {
  PngParts parts;
  parts.file_size = file.size();
  std::vector<uint8_t> stream;
  for (size_t at = 8; at + 12 <= file.size();) {
    const uint32_t length =
        uint32_t{file[at]} << 24 | uint32_t{file[at + 1]} << 16 | uint32_t{file[at + 2]} << 8 | file[at + 3];
    if (at + 12 + length > file.size()) {
      ADD_FAILURE() << "a chunk runs past the end";
      break;
    }
    const uint8_t* type = &file[at + 4];
    const uLong crc = crc32(crc32(0, nullptr, 0), type, 4 + length);
    const uint8_t* stored = &file[at + 8 + length];
    EXPECT_EQ(crc, uLong{stored[0]} << 24 | uLong{stored[1]} << 16 | uLong{stored[2]} << 8 | stored[3]);
    parts.types.emplace_back(reinterpret_cast<const char*>(type), 4);
    if (parts.types.back() == "IDAT") stream.insert(stream.end(), type + 4, type + 4 + length);
    at += 12 + length;
  }
  parts.filtered = inflate_all(stream, expected);
  return parts;
}

// The picture written by libpng itself with its defaults: Adam7, 8 bits.
std::vector<uint8_t> written_by_libpng(const ImageBuffer& picture) {
  std::vector<uint8_t> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &file,
      [](png_structp p, png_bytep data, size_t length) {
        auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + length);
      },
      nullptr);
  const int type = picture.bits() == 8 ? PNG_COLOR_TYPE_PALETTE
                                       : (picture.bits() == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()), static_cast<png_uint_32>(picture.height()), 8,
               type, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (const PaletteEntry& entry : picture.palette()) palette.push_back({entry.red, entry.green, entry.blue});
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_write_info(png, info);
  if (type == PNG_COLOR_TYPE_RGB_ALPHA) png_set_swap_alpha(png);
  const int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass) {
    for (int32_t y = 0; y < picture.height(); ++y) {
      png_bytep row = const_cast<png_bytep>(picture.row(y));
      png_write_rows(png, &row, 1);
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return file;
}

// The bytes of the filtered picture data: a filter byte and the pixels of
// every row of every Adam7 pass.
size_t filtered_size(int width, int height, size_t pixel_bytes) {
  static constexpr int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                      {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  size_t total = 0;
  for (const auto& p : kPass) {
    const int w = width > p[0] ? (width - p[0] + p[2] - 1) / p[2] : 0;
    const int h = height > p[1] ? (height - p[1] + p[3] - 1) / p[3] : 0;
    if (w > 0 && h > 0) total += static_cast<size_t>(h) * (1 + static_cast<size_t>(w) * pixel_bytes);
  }
  return total;
}

// A photo-like picture: a gradient with grain.
ImageBuffer grainy_picture(int width, int height, uint32_t seed = 7) {
  std::mt19937 random(seed);
  return testing::make_rgb_picture(width, height, [&](int x, int y) {
    const Rgb base = testing::gradient(x, y);
    const int grain = static_cast<int>(random() % 9) - 4;
    auto add = [&](uint8_t v) { return static_cast<uint8_t>(std::clamp(v + grain, 0, 255)); };
    return Rgb{add(base.red), add(base.green), add(base.blue)};
  });
}

std::vector<uint8_t> written_by_us(const ImageBuffer& picture, WorkerPool& pool, const std::string& path) {
  File file = File::adopt(UniqueFd(::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600)), path);
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(file.write_all(kSignature, 8));
  EXPECT_TRUE(png::write_image_data(file, picture, pool, nullptr));
  EXPECT_TRUE(file.close());
  return testing::read_bytes(path);
}

// Sizes whose filtered data is exactly `blocks` blocks long, found by search.
std::pair<int, int> size_on_block_border(int blocks) {
  const size_t target = ParallelDeflate::kBlockSize * static_cast<size_t>(blocks);
  for (int width = 200; width < 2000; ++width) {
    for (int height = 1; height < 2000; ++height) {
      const size_t size = filtered_size(width, height, 3);
      if (size == target) return {width, height};
      if (size > target) break;
    }
  }
  return {0, 0};
}

TEST(ParallelDeflate, BlocksJoinIntoOneStreamOfTheSameBytes) {
  WorkerPool pool(3);
  std::mt19937 random(1);
  constexpr size_t kBlock = ParallelDeflate::kBlockSize;
  for (const size_t size : {size_t{0}, size_t{1}, kBlock - 1, kBlock, kBlock + 1, 3 * kBlock, 3 * kBlock + 17}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i % 251 < 200 ? i / 97 : random());
    std::vector<uint8_t> stream;
    ParallelDeflate deflate(Z_FILTERED, pool);
    ASSERT_TRUE(deflate.add(data, 0, true, stream));
    EXPECT_EQ(inflate_all(stream, size), data);
  }
}

TEST(ParallelDeflate, PartsWithHistoryJoinLikeOneCall) {
  WorkerPool pool(2);
  std::vector<uint8_t> data(5 * ParallelDeflate::kBlockSize + 1234);
  std::mt19937 random(2);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((i * 7) % 256 ^ (random() % 4));
  std::vector<uint8_t> stream;
  ParallelDeflate deflate(Z_FILTERED, pool);
  // Parts of uneven length, each with the 32 KiB before it as history.
  const size_t cuts[] = {0, 100, 900'000, 900'001, data.size()};
  for (size_t i = 0; i + 1 < std::size(cuts); ++i) {
    const size_t history = std::min(ParallelDeflate::kWindow, cuts[i]);
    const std::span<const uint8_t> part(data.data() + cuts[i] - history, cuts[i + 1] - cuts[i] + history);
    ASSERT_TRUE(deflate.add(part, history, i + 2 == std::size(cuts), stream));
  }
  EXPECT_EQ(inflate_all(stream, data.size()), data);
}

// The filtered data is libpng's, row for row and filter for filter, so the
// only difference between the files is how the same bytes were deflated.
TEST(PngImageData, FiltersEveryRowAsLibpngAndDecodesToTheSamePixels) {
  testing::TempFolder files;
  WorkerPool pool(2);
  const auto [border_width, border_height] = size_on_block_border(2);
  ASSERT_GT(border_width, 0);
  const std::vector<std::pair<int, int>> sizes = {
      {1, 1},      {1, 9}, {9, 1},   {1, 300},   {300, 1},
      {2, 2},      {7, 5}, {33, 17}, {255, 129}, {border_width, border_height},  // exactly two blocks
      {1200, 800},                                                               // two rounds of blocks on two cores
  };
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const ImageBuffer picture = grainy_picture(width, height);
    const size_t expected = filtered_size(width, height, 3);
    const PngParts ours = parts_of(written_by_us(picture, pool, files.file("ours.png")), expected);
    const PngParts theirs = parts_of(written_by_libpng(picture), expected);
    ASSERT_EQ(ours.filtered.size(), expected);
    EXPECT_TRUE(ours.filtered == theirs.filtered) << "a row filtered otherwise than libpng filters it";
  }
}

TEST(PngImageData, PaletteAndAlphaPicturesFilterAsLibpngToo) {
  testing::TempFolder files;
  WorkerPool pool(2);
  ImageBuffer argb;
  ASSERT_TRUE(argb.create(45, 31, 32, 0));
  for (size_t i = 0; i < 45 * 31 * 4; ++i) argb.pixels()[i] = static_cast<uint8_t>(i * 13 / 7);
  EXPECT_EQ(parts_of(written_by_us(argb, pool, files.file("argb.png")), filtered_size(45, 31, 4)).filtered,
            parts_of(written_by_libpng(argb), filtered_size(45, 31, 4)).filtered);
  ImageBuffer indexed;
  ASSERT_TRUE(indexed.create(45, 31, 8, 16));
  for (size_t i = 0; i < 45 * 31; ++i) indexed.pixels()[i] = static_cast<uint8_t>(i % 16);
  EXPECT_EQ(parts_of(written_by_us(indexed, pool, files.file("indexed.png")), filtered_size(45, 31, 1)).filtered,
            parts_of(written_by_libpng(indexed), filtered_size(45, 31, 1)).filtered);
}

TEST(PngWriter, FilesDecodeToTheirPixelsAndAreAsSmallAsLibpngs) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{1, 1}, {3, 1}, {1, 3}, {1001, 703}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const ImageBuffer picture = grainy_picture(width, height);
    const std::string path = files.file("out.png");
    png::PngWriter writer;
    ASSERT_TRUE(writer.open(path, picture, WriteSettings{}, nullptr) && writer.write()) << writer.failure();
    // Every chunk's CRC, the end chunk's too, and the chunks libpng wrote.
    const PngParts parts = parts_of(testing::read_bytes(path), filtered_size(width, height, 3));
    EXPECT_EQ(parts.types.front(), "IHDR");
    EXPECT_EQ(parts.types.back(), "IEND");
    EXPECT_EQ(std::count(parts.types.begin(), parts.types.end(), "IDAT") + 2, std::ssize(parts.types));
    const testing::Pnm decoded = testing::read_png_with_libpng(path);
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    EXPECT_EQ(0, std::memcmp(decoded.samples.data(), picture.pixels(), decoded.samples.size()));
    if (width * height > 100000) {
      const double ratio = static_cast<double>(testing::read_bytes(path).size()) /
                           static_cast<double>(written_by_libpng(picture).size());
      EXPECT_LE(ratio, 1.01);
    }
  }
}

// Conversions on four threads at once write what each writes alone.
TEST(PngWriter, ConversionsOnSeveralThreadsWriteWhatEachWritesAlone) {
  testing::ScratchFolder scratch;
  testing::TempFolder files;
  constexpr int kPictures = 8;
  std::vector<std::string> sources, alone;
  for (int i = 0; i < kPictures; ++i) {
    sources.push_back(files.file("in" + std::to_string(i) + ".bmp"));
    testing::BmpSpec spec;
    spec.width = 300 + 37 * i;
    spec.height = 200 + 11 * i;
    testing::write_bytes(sources.back(), testing::make_bmp(spec, testing::gradient));
    alone.push_back(files.file("alone" + std::to_string(i) + ".png"));
    ASSERT_EQ(convert_picture(TargetFormat::kPng, sources.back(), alone.back()).code, kWritten);
  }
  std::vector<std::thread> threads;
  std::atomic<int> written{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPictures; ++i) {
        const std::string out = files.file("t" + std::to_string(t) + "-" + std::to_string(i) + ".png");
        if (convert_picture(TargetFormat::kPng, sources[static_cast<size_t>(i)], out).code == kWritten) ++written;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(written, 4 * kPictures);
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < kPictures; ++i) {
      EXPECT_TRUE(testing::read_bytes(files.file("t" + std::to_string(t) + "-" + std::to_string(i) + ".png")) ==
                  testing::read_bytes(alone[static_cast<size_t>(i)]))
          << "thread " << t << ", picture " << i;
    }
  }
}

TEST(WorkerPool, RunsEveryPartOnceOnNoMoreThreadsThanCores) {
  WorkerPool pool(3);
  std::vector<std::atomic<int>> runs(200);
  std::atomic<int> running{0}, most{0};
  pool.run(runs.size(), [&](size_t i) {
    const int now = ++running;
    int seen = most.load();
    while (now > seen && !most.compare_exchange_weak(seen, now)) {
    }
    volatile uint64_t work = 0;
    for (int k = 0; k < 20000; ++k) work = work + static_cast<uint64_t>(k);
    ++runs[i];
    --running;
  });
  for (const auto& count : runs) EXPECT_EQ(count, 1);
  EXPECT_LE(most, 3);
}

// As many conversions as cores: helpers stay out, each conversion does its
// own parts, as it did before the pool.
TEST(WorkerPool, ConversionsOnEveryCoreGetNoHelpers) {
  WorkerPool pool(2);
  std::atomic<int> on_helpers{0};
  // Two conversions are running before either asks for help.
  const WorkerPool::ConversionSlot first(pool), second(pool);
  auto convert = [&] {
    const std::thread::id caller = std::this_thread::get_id();
    for (int batch = 0; batch < 20; ++batch) {
      pool.run(16, [&](size_t) {
        if (std::this_thread::get_id() != caller) ++on_helpers;
      });
    }
  };
  std::thread a(convert), b(convert);
  a.join();
  b.join();
  EXPECT_EQ(on_helpers, 0);
}

// quorvant-convert -j 1: one thread at work, however many cores.
TEST(WorkerPool, ALimitOfOneThreadKeepsHelpersOut) {
  WorkerPool pool(4);
  pool.limit_busy_threads(1);
  const WorkerPool::ConversionSlot slot(pool);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<int> on_helpers{0};
  for (int batch = 0; batch < 20; ++batch) {
    pool.run(16, [&](size_t) {
      if (std::this_thread::get_id() != caller) ++on_helpers;
    });
  }
  EXPECT_EQ(on_helpers, 0);
}

// One conversion alone: a helper takes a part while the caller is busy
// with another.
TEST(WorkerPool, OneConversionGetsTheOtherCores) {
  WorkerPool pool(2);
  const WorkerPool::ConversionSlot slot(pool);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> helped{false};
  pool.run(2, [&](size_t) {
    if (std::this_thread::get_id() != caller) {
      helped = true;
      return;
    }
    // The caller's part waits for the helper's.
    testing::eventually([&] { return helped.load(); });
  });
  EXPECT_TRUE(helped);
}

// A helper's part that runs out of memory fails the run on the caller's
// thread, after every other part has ended; the pool goes on working.
TEST(WorkerPool, APartsFailureComesBackToTheCaller) {
  WorkerPool pool(2);
  const WorkerPool::ConversionSlot slot(pool);
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> helper_ran{false};
  std::atomic<int> ended{0};
  EXPECT_THROW(pool.run(2,
                        [&](size_t) {
                          if (std::this_thread::get_id() != caller) {
                            helper_ran = true;
                            throw std::bad_alloc();
                          }
                          testing::eventually([&] { return helper_ran.load(); });
                          ++ended;
                        }),
               std::bad_alloc);
  EXPECT_TRUE(helper_ran);
  EXPECT_EQ(ended, 1) << "the caller's own part ran to its end first";
  std::atomic<int> parts{0};
  pool.run(3, [&](size_t) { ++parts; });
  EXPECT_EQ(parts, 3);
}

}  // namespace
}  // namespace quorvant::engine
