// Pictures and files made for the engine tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

#include "engine/colour.h"
#include "engine/image_buffer.h"
#include "engine/picture_notes.h"
#include "engine/result_codes.h"

namespace quorvant::testing {

// A 24-bit picture whose pixel (x, y) has the colour `colour(x, y)`.
engine::ImageBuffer make_rgb_picture(int width, int height, const std::function<engine::Rgb(int x, int y)>& colour);
// A smooth, photo-like test pattern.
engine::Rgb gradient(int x, int y);

engine::Rgb pixel_at(const engine::ImageBuffer& picture, int x, int y);

// A bitmap file built byte by byte, independent of the engine's writer.
struct BmpSpec {
  int width = 4;
  int height = 3;
  bool top_down = false;      // negative height
  char second_letter = 'M';   // "BM" or "BA"
  bool short_header = false;  // 12-byte OS/2 header
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t extra_info_bytes = 0;  // header bytes beyond the declared header
};
std::vector<uint8_t> make_bmp(const BmpSpec& spec, const std::function<engine::Rgb(int x, int y)>& colour);

// A JPEG written by libjpeg directly: components 1 (grey), 3 (RGB) or 4
// (CMYK), every sample given by `sample(x, y, component)`; with arithmetic
// coding, libjpeg's progression or a scan script of its own when asked.
struct JpegEncoding {
  int width = 64;
  int height = 48;
  int components = 3;
  int quality = 75;
  bool arithmetic = false;
  bool progressive = false;           // libjpeg's own progression script
  std::vector<jpeg_scan_info> scans;  // or this one
};
std::vector<uint8_t> encode_jpeg(const JpegEncoding& encoding,
                                 const std::function<uint8_t(int x, int y, int c)>& sample);
// The same from `samples` row by row.
std::vector<uint8_t> make_jpeg(int width, int height, int components, const std::vector<uint8_t>& samples,
                               int quality = 90, bool progressive = false);

// What a JPEG file's markers say.
struct JpegMarkers {
  bool baseline = false;  // frame marker SOF0
  int components = 0;
  int width = 0;
  int height = 0;
  std::vector<int> first_quant_table;         // table 0, in file order
  std::vector<std::vector<uint8_t>> huffman;  // every DHT segment's bytes
};
JpegMarkers read_jpeg_markers(const std::vector<uint8_t>& bytes);

// A picture read as the command line reads it: every kind of file, with its
// notes, and its transparency when `alpha`.
struct Loaded {
  engine::ResultCode code = engine::kUnreadable;
  std::string reason;
  engine::ImageBuffer picture;
  engine::PictureNotes notes;
};
Loaded load_with_notes(const std::string& path, bool alpha, bool more_kinds = true);

// The picture's samples as RGBA (opaque without alpha; grey repeated).
std::vector<uint8_t> as_rgba(const engine::ImageBuffer& picture);
// RGBA samples with every alpha made opaque.
std::vector<uint8_t> opaque(std::vector<uint8_t> rgba);
// Peak signal-to-noise ratio of two sample lists of one size, in dB (99
// when they are equal, 0 when their sizes differ).
double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace quorvant::testing
