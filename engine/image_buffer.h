// The image buffer is the engine's one in-memory picture: every reader fills
// one and every writer reads one.
//
// Pixels are stored top row first, left to right, rows packed without
// padding, so stride = width x bytes per pixel and size = stride x height.
//   8 bits, no palette  one grey level
//   8 bits, palette     one palette index
//   16 bits             a little-endian colour code (see colour.h)
//   24 bits             red, green, blue
//   32 bits             alpha, red, green, blue
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/row_arrival.h"
#include "engine/scratch_buffer.h"

namespace quorvant::engine {

struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t extra = 0;      // 255 in palettes built by quantisation
  uint32_t sort_key = 0;  // set by quantisation
};

// The largest pixel storage a picture may need; bigger headers are declined.
inline constexpr uint64_t kMaxPixelBytes = 0xFFFFFFFFu;
// The largest palette a picture may ask for. An 8-bit index names only 256
// entries; the margin keeps odd but harmless palettes readable while a
// hostile count is refused before it is allocated.
inline constexpr int32_t kMaxPaletteCount = 65536;

class ImageBuffer {
 public:
  ImageBuffer() = default;
  ImageBuffer(ImageBuffer&&) noexcept = default;
  ImageBuffer& operator=(ImageBuffer&&) noexcept = default;
  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;

  // Releases the pixel storage (freeing its temporary file) and the palette.
  void clear() noexcept;

  // Clears, then makes a zero-filled picture. Fails, leaving the buffer empty,
  // for a width or height below 1, bits other than 8, 16, 24 or 32, a
  // palette count below 0 or above kMaxPaletteCount with 8 bits, more than
  // kMaxPixelBytes of pixels, or no storage; failure() then says why. The
  // palette count counts only for 8 bits; its entries are undefined until
  // the caller fills them. Running out of heap memory throws std::bad_alloc,
  // as everywhere in the engine (convert_picture answers it).
  bool create(int32_t width, int32_t height, uint32_t bits, int32_t palette_count);

  // Makes this buffer an exact copy of `source` (pixels and palette).
  bool copy_from(const ImageBuffer& source);

  // Fills `destination` with this picture at another depth. A palette count
  // of 0 with 8 bits means grey; above 0 it means palette colour with at most
  // that many entries, found by quantisation. The source is not changed.
  // When it fails, destination.failure() says why.
  bool convert(ImageBuffer& destination, uint32_t bits, int32_t palette_count) const;

  // Why the last create (or a conversion into this buffer) failed.
  const std::string& failure() const { return failure_; }

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  uint32_t bits() const { return bits_; }
  int32_t palette_count() const { return palette_count_; }
  bool empty() const { return width_ == 0; }
  size_t stride() const { return static_cast<size_t>(width_) * (bits_ / 8); }
  size_t pixel_bytes() const { return stride() * static_cast<size_t>(height_); }
  size_t pixel_count() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }

  uint8_t* pixels() { return storage_.data(); }
  const uint8_t* pixels() const { return storage_.data(); }
  uint8_t* row(int32_t y) { return pixels() + stride() * static_cast<size_t>(y); }
  const uint8_t* row(int32_t y) const { return pixels() + stride() * static_cast<size_t>(y); }

  std::span<PaletteEntry> palette() { return palette_; }
  std::span<const PaletteEntry> palette() const { return palette_; }
  // Drops palette entries beyond `count` (the quantiser may find fewer
  // colours than it was allowed).
  void shrink_palette(int32_t count);

  const ScratchBuffer& storage() const { return storage_; }

  // While the picture is still being decoded into, a writer that starts
  // early waits here until rows [0, rows) are final; false when the reader
  // stopped before. A picture read whole answers true at once.
  void arriving_through(RowsReady* arrival) { arrival_ = arrival; }
  bool rows_ready(int32_t rows) const { return arrival_ == nullptr || arrival_->wait_for(rows); }
  bool flush() noexcept { return storage_.flush(); }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint32_t bits_ = 0;
  int32_t palette_count_ = 0;
  ScratchBuffer storage_;
  std::vector<PaletteEntry> palette_;
  std::string failure_;
  RowsReady* arrival_ = nullptr;  // the conversion's, while it reads and writes at once, or converting_
  // A picture converted from one still arriving: converts its rows as they
  // are waited for.
  std::unique_ptr<RowsReady> converting_;
};

// The picture as a writer needs it: `source` itself when it already has
// `bits` and `palette_count`, else `converted`, filled from it by convert().
// nullptr when that conversion fails (converted.failure() says why).
const ImageBuffer* in_form(const ImageBuffer& source, uint32_t bits, int32_t palette_count, ImageBuffer& converted);

// Bytes per row and per picture for the given size and depth, or 0 when the
// picture would need more than kMaxPixelBytes.
uint64_t checked_pixel_bytes(int64_t width, int64_t height, uint32_t bits);

// The check every reader makes of the size a header claims, before it sets
// anything aside for it: empty when a picture of that size and depth can be
// held, otherwise why not ("65536 x 65536 pixels at 24 bits need more than
// 4 GiB").
std::string picture_size_refusal(int64_t width, int64_t height, uint32_t bits);

// The check every reader of compressed data makes of the size a header
// claims against the bytes that are to hold it, before anything is set
// aside for the picture: n bytes of `format`'s compressed data unpack to at
// most n x `largest_ratio` bytes (deflate: about 1032), so a claim beyond
// that is damage, not a picture. Empty when the claim can be true;
// otherwise "damaged <format> data: the file is far too short for the
// picture its header claims".
std::string claimed_size_refusal(const char* format, uint64_t unpacked_bytes, uint64_t compressed_bytes,
                                 uint64_t largest_ratio);

// The most bytes one byte of deflate data unpacks to: a run of 258 bytes
// costs at least two bits.
inline constexpr uint64_t kDeflateLargestRatio = 1032;

}  // namespace quorvant::engine
