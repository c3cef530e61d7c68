// The one interface every format sits behind. A format folder (bmp/, jpeg/,
// ...) provides a reader, a writer or both; the loader and the conversion
// commands know formats only through these classes.
//
// Object rules, kept by every codec:
// - every open first closes whatever the object had open;
// - close releases the file and the library state and resets the object;
// - destruction closes;
// - read and write close the object when they are done, whether they
//   succeeded or not.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/image_buffer.h"

namespace quorvant::engine {

// Optional per-row progress: (phase, percent, row, reserved). Phase is 1
// while reading and 0 while writing; reserved is always 0.
using ProgressCallback = std::function<void(int32_t phase, int32_t percent, int32_t row, int32_t reserved)>;

enum ProgressPhase : int32_t { kPhaseWriting = 0, kPhaseReading = 1 };

inline void report_progress(const ProgressCallback& progress, ProgressPhase phase, int32_t row, int32_t height) {
  if (progress && height > 0) {
    const double percent = (static_cast<double>(row) + 1.0) * 100.0 / height;
    progress(phase, static_cast<int32_t>(percent), row, 0);
  }
}

class ImageReader {
 public:
  virtual ~ImageReader() = default;
  // Opens `path` and decides whether this reader accepts the file, reading
  // only as much of the header as that takes. On success the reader knows
  // the picture's size and depth and will decode into `target`.
  virtual bool open(const std::string& path, ImageBuffer& target, ProgressCallback progress) = 0;
  // Decodes the whole picture into the target (creating it), then closes.
  virtual bool read() = 0;
  virtual void close() = 0;
};

enum class PnmKind : int32_t { kBilevel = 0, kGrey = 1, kColour = 2 };

// What a writer is asked to produce. Each writer reads the fields that
// concern its format.
struct WriteSettings {
  uint32_t bits = 24;         // BMP, PCX, PIC, SGI: 24; TIFF: 8 (grey) or 24; PNG: 24
  int32_t palette_count = 0;  // PNG
  int32_t quality = 75;       // JPEG, 1..100
  bool colour = true;         // JPEG: false writes a grey file
  bool optimise = false;      // JPEG: optimised Huffman tables
  int32_t smoothing = 0;      // JPEG, 0..100
  PnmKind pnm_kind = PnmKind::kColour;
  bool raw = true;  // PNM: binary rather than plain text form
};

class ImageWriter {
 public:
  virtual ~ImageWriter() = default;
  // Checks the request and, for most formats, creates or truncates the
  // destination. `source` must stay alive until write() returns.
  virtual bool open(const std::string& path, const ImageBuffer& source, const WriteSettings& settings,
                    ProgressCallback progress) = 0;
  // Writes the whole file, then closes. A file that fails part-way stays.
  virtual bool write() = 0;
  virtual void close() = 0;
};

}  // namespace quorvant::engine
