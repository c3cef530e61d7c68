// The readers and writers of WebP, GIF, AVIF, HEIC and JPEG XL live in a
// module of their own, opened the first time a file or a target needs one
// and kept open from then on. Their libraries (libjxl with libhwy, libheif
// with its HEVC coders, libavif with its AV1 coders) take several
// milliseconds to load and set up, which every conversion, and the window
// program's start, would otherwise pay for formats it does not touch.
//
// The module takes the engine's own code from the program that opens it
// (the programs export their symbols), so both share one worker pool and
// one thread budget.
#pragma once

#include <memory>
#include <string>

#include "engine/codec.h"

namespace quorvant::engine::more_formats {

// What the module hands over: a factory for each of its readers and writers.
struct Table {
  std::unique_ptr<ImageReader> (*webp_reader)();
  std::unique_ptr<ImageReader> (*gif_reader)();
  std::unique_ptr<ImageReader> (*avif_reader)();
  std::unique_ptr<ImageReader> (*heif_reader)();
  std::unique_ptr<ImageReader> (*jxl_reader)();
  std::unique_ptr<ImageWriter> (*webp_writer)();
  std::unique_ptr<ImageWriter> (*avif_writer)();
  std::unique_ptr<ImageWriter> (*jxl_writer)();
};

// The module's file, found beside the programs in a build and in
// lib/quorvant once installed; the function that gives its table.
inline constexpr char kModuleFile[] = "libquorvant_more_formats.so";
inline constexpr char kTableFunction[] = "quorvant_more_formats_table";

// Each factory opens the module when first asked; nothing when it cannot
// be opened, unavailable() then saying why.
std::unique_ptr<ImageReader> webp_reader();
std::unique_ptr<ImageReader> gif_reader();
std::unique_ptr<ImageReader> avif_reader();
std::unique_ptr<ImageReader> heif_reader();
std::unique_ptr<ImageReader> jxl_reader();
std::unique_ptr<ImageWriter> webp_writer();
std::unique_ptr<ImageWriter> avif_writer();
std::unique_ptr<ImageWriter> jxl_writer();
std::string unavailable();

}  // namespace quorvant::engine::more_formats
