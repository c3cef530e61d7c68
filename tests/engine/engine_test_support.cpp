#include "tests/engine/engine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

#include "engine/loader.h"
#include "engine/source_file.h"
#include "tests/support/test_support.h"

namespace quorvant::testing {

using engine::ImageBuffer;
using engine::Rgb;

ImageBuffer make_rgb_picture(int width, int height, const std::function<Rgb(int x, int y)>& colour) {
  ImageBuffer picture;
  EXPECT_TRUE(picture.create(width, height, 24, 0));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture.row(y);
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      row[3 * x] = c.red;
      row[3 * x + 1] = c.green;
      row[3 * x + 2] = c.blue;
    }
  }
  return picture;
}

Rgb gradient(int x, int y) {
  return {static_cast<uint8_t>((x * 7 + y * 3) & 0xFF), static_cast<uint8_t>((y * 5) & 0xFF),
          static_cast<uint8_t>((x * 2 + 40) & 0xFF)};
}

Rgb pixel_at(const ImageBuffer& picture, int x, int y) {
  const uint8_t* p = picture.row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

namespace {
void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
}  // namespace

std::vector<uint8_t> make_bmp(const BmpSpec& spec, const std::function<Rgb(int x, int y)>& colour) {
  const uint32_t header = spec.short_header ? 12 : 40;
  const uint32_t offset = 14 + header + spec.extra_info_bytes;
  const uint32_t row = (3 * static_cast<uint32_t>(spec.width) + 3) & ~3u;
  std::vector<uint8_t> b(offset + row * static_cast<uint32_t>(spec.height), 0);
  b[0] = 'B';
  b[1] = static_cast<uint8_t>(spec.second_letter);
  put32(b, 2, static_cast<uint32_t>(b.size()));
  put32(b, 10, offset);
  put32(b, 14, header);
  if (spec.short_header) {
    put16(b, 18, static_cast<uint32_t>(spec.width));
    put16(b, 20, static_cast<uint32_t>(spec.height));
    put16(b, 22, 1);
    put16(b, 24, spec.bits);
  } else {
    put32(b, 18, static_cast<uint32_t>(spec.width));
    put32(b, 22, static_cast<uint32_t>(spec.top_down ? -spec.height : spec.height));
    put16(b, 26, 1);
    put16(b, 28, spec.bits);
    put32(b, 30, spec.compression);
  }
  for (int i = 0; i < spec.height; ++i) {
    const int y = spec.top_down ? i : spec.height - 1 - i;
    for (int x = 0; x < spec.width; ++x) {
      const Rgb c = colour(x, y);
      const size_t at = offset + static_cast<size_t>(i) * row + 3 * static_cast<size_t>(x);
      b[at] = c.blue;
      b[at + 1] = c.green;
      b[at + 2] = c.red;
    }
    // Pad bytes that a reader must ignore.
    for (uint32_t p = 3 * static_cast<uint32_t>(spec.width); p < row; ++p)
      b[offset + static_cast<size_t>(i) * row + p] = 0xEE;
  }
  return b;
}

namespace {
struct TestJpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};
[[noreturn]] void test_jpeg_error_exit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TestJpegError*>(cinfo->err)->jump, 1);
}
}  // namespace

std::vector<uint8_t> encode_jpeg(const JpegEncoding& e, const std::function<uint8_t(int x, int y, int c)>& sample) {
  jpeg_compress_struct c{};
  TestJpegError error{};
  c.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = test_jpeg_error_exit;
  unsigned char* memory = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> row(static_cast<size_t>(e.width * e.components));
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_compress(&c);
    std::free(memory);
    ADD_FAILURE() << "libjpeg failed to make a test file";
    return {};
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &memory, &size);
  c.image_width = static_cast<JDIMENSION>(e.width);
  c.image_height = static_cast<JDIMENSION>(e.height);
  c.input_components = e.components;
  c.in_color_space = e.components == 1 ? JCS_GRAYSCALE : e.components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, e.quality, TRUE);
  c.arith_code = e.arithmetic ? TRUE : FALSE;
  if (e.progressive) jpeg_simple_progression(&c);
  if (!e.scans.empty()) {
    c.scan_info = e.scans.data();
    c.num_scans = static_cast<int>(e.scans.size());
  }
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < e.width; ++x) {
      for (int k = 0; k < e.components; ++k) row[static_cast<size_t>(x * e.components + k)] = sample(x, y, k);
    }
    JSAMPROW rows = row.data();
    jpeg_write_scanlines(&c, &rows, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(memory, memory + size);
  jpeg_destroy_compress(&c);
  std::free(memory);
  return bytes;
}

std::vector<uint8_t> make_jpeg(int width, int height, int components, const std::vector<uint8_t>& samples, int quality,
                               bool progressive) {
  JpegEncoding e;
  e.width = width;
  e.height = height;
  e.components = components;
  e.quality = quality;
  e.progressive = progressive;
  return encode_jpeg(e, [&](int x, int y, int c) {
    return samples[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                       static_cast<size_t>(components) +
                   static_cast<size_t>(c)];
  });
}

JpegMarkers read_jpeg_markers(const std::vector<uint8_t>& b) {
  JpegMarkers m;
  size_t pos = 2;
  while (pos + 4 <= b.size() && b[pos] == 0xFF) {
    const uint8_t marker = b[pos + 1];
    const size_t length = static_cast<size_t>(b[pos + 2] << 8 | b[pos + 3]);
    const size_t body = pos + 4;
    if (body + length - 2 > b.size()) break;
    if (marker == 0xDA) break;  // start of scan: no more tables before the data
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      m.baseline = marker == 0xC0;
      m.height = b[body + 1] << 8 | b[body + 2];
      m.width = b[body + 3] << 8 | b[body + 4];
      m.components = b[body + 5];
    } else if (marker == 0xDB && m.first_quant_table.empty()) {
      for (size_t i = 0; i < 64; ++i) m.first_quant_table.push_back(b[body + 1 + i]);  // 8-bit table 0 first
    } else if (marker == 0xC4) {
      m.huffman.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(body),
                             b.begin() + static_cast<std::ptrdiff_t>(body + length - 2));
    }
    pos = body + length - 2;
  }
  return m;
}

Loaded load_with_notes(const std::string& path, bool alpha, bool more_kinds) {
  Loaded loaded;
  const engine::SourceFile source = engine::SourceFile::open(path);
  engine::ReadOptions options;
  options.more_kinds = more_kinds;
  options.alpha = alpha;
  options.notes = true;
  loaded.code = engine::load_picture(source, loaded.picture, &loaded.reason, options, &loaded.notes);
  return loaded;
}

std::vector<uint8_t> as_rgba(const engine::ImageBuffer& picture) {
  std::vector<uint8_t> rgba;
  for (int32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* p = picture.row(y);
    for (int32_t x = 0; x < picture.width(); ++x) {
      if (picture.bits() == 32) {
        rgba.insert(rgba.end(), {p[4 * x + 1], p[4 * x + 2], p[4 * x + 3], p[4 * x]});
      } else if (picture.bits() == 24) {
        rgba.insert(rgba.end(), {p[3 * x], p[3 * x + 1], p[3 * x + 2], 255});
      } else {
        rgba.insert(rgba.end(), {p[x], p[x], p[x], 255});
      }
    }
  }
  return rgba;
}

std::vector<uint8_t> opaque(std::vector<uint8_t> rgba) {
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  return rgba;
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double squares = 0;
  for (size_t i = 0; i < a.size(); ++i) squares += (a[i] - b[i]) * double(a[i] - b[i]);
  return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / squares);
}

}  // namespace quorvant::testing
