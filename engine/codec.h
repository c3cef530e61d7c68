// The one interface every format sits behind. A format folder (bmp/, jpeg/,
// ...) provides a reader, a writer or both; the loader and the conversion
// commands know formats only through these classes.
//
// Object rules, kept by every codec:
// - every open first closes whatever the object had open;
// - close releases the file and the library state and resets the object;
// - destruction closes;
// - read and write close the object when they are done, whether they
//   succeeded or not;
// - a failed open, read or write leaves its reason in failure(), which only
//   the next open clears.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/destination.h"
#include "engine/image_buffer.h"
#include "engine/picture_notes.h"
#include "engine/source_file.h"

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

// Why a writer that started on a picture still being read stopped: the
// reader failed (its reason is the conversion's).
inline constexpr char kRowsNeverCame[] = "the picture was not read to its end";

// What readers and writers share: the reason of a failure, in words.
class Codec {
 public:
  virtual ~Codec() = default;
  virtual void close() = 0;
  // Why the last open, read or write failed ("cannot write out.pcx: No
  // space left on device"); empty when the codec gave no reason.
  const std::string& failure() const { return failure_; }

 protected:
  // Keeps the first reason of a failure (the cause, not its consequences)
  // and answers false, so that `return fail(...)` ends a failing step.
  bool fail(std::string why) {
    if (failure_.empty()) failure_ = std::move(why);
    return false;
  }
  void forget_failure() { failure_.clear(); }

 private:
  std::string failure_;
};

// What a reader knows once it has accepted a file.
struct PictureHeader {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bits = 0;           // of the picture read() makes
  uint64_t working_bytes = 0;  // memory read() needs besides the picture
};

class ImageReader : public Codec {
 public:
  // What to make of the file beyond the plain picture, and where to note
  // what it says besides its pixels (nothing: the notes are not wanted).
  // Set before open; the reader keeps them until they are set again.
  void set_read_options(const ReadOptions& options, PictureNotes* notes) {
    read_options_ = options;
    notes_ = notes;
  }

  // Decides whether this reader accepts the file, reading only as much of
  // the header as that takes, through streams of its own (the reader may
  // outlive `source`). On success the reader knows the picture's size and
  // depth and will decode into `target`.
  virtual bool open(const SourceFile& source, ImageBuffer& target, ProgressCallback progress) = 0;
  // The picture an accepted file holds.
  virtual PictureHeader header() const = 0;
  // Decodes the whole picture into the target (creating it), then closes.
  virtual bool read() = 0;
  // Whether the reading progress it reports counts rows that are final,
  // from the top, and its notes are complete once the file is open: then a
  // writer may start on the rows while the rest are decoded. (Progress may
  // then come from a helper thread.)
  virtual bool delivers_rows_in_order() const { return false; }

 protected:
  const ReadOptions& read_options() const { return read_options_; }
  // Where the notes go; nullptr when they are not wanted.
  PictureNotes* notes() const { return read_options_.notes ? notes_ : nullptr; }

 private:
  ReadOptions read_options_;
  PictureNotes* notes_ = nullptr;
};

enum class PnmKind : int32_t { kBilevel = 0, kGrey = 1, kColour = 2 };

// What a writer is asked to produce. Each writer reads the fields that
// concern its format.
struct WriteSettings {
  uint32_t bits = 24;         // BMP, PCX, PIC, SGI: 24; TIFF: 8 (grey) or 24; PNG: 8, 24 or 32
  int32_t palette_count = 0;  // PNG with 8 bits: 1..256
  int32_t quality = 75;       // JPEG, 1..100
  bool colour = true;         // JPEG: false writes a grey file
  bool optimise = false;      // JPEG: optimised Huffman tables
  int32_t smoothing = 0;      // JPEG, 0..100
  PnmKind pnm_kind = PnmKind::kColour;
  bool raw = true;  // PNM: binary rather than plain text form
  // JPEG, PNG, TIFF, WebP, AVIF, JPEG XL: what to embed besides the pixels
  // (a colour profile, metadata); nothing when null.
  const PictureNotes* embedded = nullptr;
  bool lossless = false;  // WebP, AVIF, JPEG XL
  int32_t effort = 0;     // WebP, AVIF, JPEG XL: 1..9, 0 for the library's default
  // JPEG XL with `lossless`: the source file when it is a JPEG, whose own
  // bytes are recompressed; null otherwise.
  const SourceFile* jpeg_source = nullptr;
};

// What a writer takes: the one form of picture it writes from, and the
// largest picture its format can describe.
struct WriterNeeds {
  bool valid = true;          // false: the settings ask for something the format cannot write
  uint32_t bits = 24;         // the form: 8 (grey or palette), 24 or 32 bits
  int32_t palette_count = 0;  // 0 without palette (8 bits: grey levels)
  int32_t largest_width = INT32_MAX;
  int32_t largest_height = INT32_MAX;
  const char* limited_by = "";  // why, for messages: "PCX stores sizes in 16 bits"
};

class ImageWriter : public Codec {
 public:
  // The form and limits of this format for `settings`: the one place each
  // format declares them.
  virtual WriterNeeds needs(const WriteSettings& settings) const = 0;
  // The memory the format's library needs besides the picture, at most.
  virtual uint64_t working_memory(const WriteSettings&, int32_t /*width*/, int32_t /*height*/) const { return 0; }
  // Whether the writer asks the picture for its rows (rows_ready) before
  // it reads them, from the top down: it may then start while the picture
  // is still being decoded.
  virtual bool takes_rows_as_they_arrive() const { return false; }

  // Checks the request against needs(), refusing a picture the format
  // cannot describe before anything is created; brings the picture into
  // the writer's form (converting it into a buffer of the writer's own when
  // it is not); creates the destination and starts the file. `source` must
  // stay alive until write() returns.
  bool open(const Destination& destination, const ImageBuffer& source, const WriteSettings& settings,
            ProgressCallback progress);
  // Writes the whole file, gives it its name, then closes. A file that
  // fails part-way is discarded: no broken file is left under the
  // destination's name.
  bool write();
  void close() override;

 protected:
  // Takes the created, empty file and starts the format in it for
  // `picture`, which is in the form needs() gave.
  virtual bool start(UniqueFd file, const ImageBuffer& picture, const WriteSettings& settings,
                     ProgressCallback progress) = 0;
  // Writes the whole file and closes it; false when any of it failed.
  virtual bool write_format() = 0;
  // Releases what the format holds; called by close().
  virtual void close_format() = 0;
  // What messages call the file being written.
  const std::string& destination_name() const { return destination_->name(); }

 private:
  void abandon();

  ImageBuffer converted_;
  std::optional<Destination> destination_;  // set while open
  std::optional<OutputFile> pending_;       // the file to publish when it is written, if it has no name yet
};

// The needs of a 24-bit format whose header keeps sizes in 16-bit fields:
// `limited_by` says so for messages; the width may be limited further.
WriterNeeds sixteen_bit_sizes(const char* limited_by, int32_t largest_width = 65535);

// The needs of a format written from 24-bit colour, or from 32 bits when
// `settings` keep transparency, up to `largest_side` pixels a side
// (`limited_by` says so for messages).
WriterNeeds colour_or_alpha(const WriteSettings& settings, int32_t largest_side, const char* limited_by);

// Why `picture` does not fit `needs`, in words; empty when it fits.
std::string size_refusal(const WriterNeeds& needs, const ImageBuffer& picture);

}  // namespace quorvant::engine
