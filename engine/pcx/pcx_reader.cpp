#include "engine/pcx/pcx_reader.h"

#include <vector>

#include "engine/byte_order.h"
#include "engine/pcx/pcx_run_length.h"
#include "engine/scratch_buffer.h"

namespace quorvant::engine::pcx {

namespace {

// A run of two bytes yields at most 63 bytes, so compressed data of n bytes
// can never describe more than 32 n bytes of scan lines.
constexpr uint64_t kMostBytesPerCompressedByte = 32;

}  // namespace

bool PcxReader::open_format(const SourceFile&) {
  if (!file_.read_exact(header_.data(), header_.size()) || header_[kManufacturerAt] != kManufacturer) return false;
  const uint16_t x_min = load_le16(&header_[kXMinAt]);
  const uint16_t y_min = load_le16(&header_[kYMinAt]);
  const uint16_t x_max = load_le16(&header_[kXMaxAt]);
  const uint16_t y_max = load_le16(&header_[kYMaxAt]);
  planes_ = header_[kPlanesAt];
  bits_ = planes_ * header_[kBitsPerPlaneAt];
  bytes_per_line_ = load_le16(&header_[kBytesPerLineAt]);
  width_ = x_max - x_min + 1;
  height_ = y_max - y_min + 1;
  // A single-column or single-row picture is refused, as is a window whose
  // corners are swapped; true colour needs three planes to take its colours
  // from, and every plane must hold a whole row.
  const bool plausible = width_ > 0 && height_ > 0 && (bits_ == 8 || (bits_ == 24 && planes_ >= 3)) &&
                         bytes_per_line_ >= static_cast<uint32_t>(width_);
  const bool accepted =
      plausible && x_max != x_min && y_max != y_min && picture_size_refusal(width_, height_, bits_).empty();
  if (!accepted) {
    // A header that is a PCX picture's in every other way says why it is
    // refused; one that merely starts with the manufacturer byte does not.
    if (plausible && (x_max == x_min || y_max == y_min)) fail("PCX pictures of a single row or column are not read");
    if (plausible) fail(picture_size_refusal(width_, height_, bits_));
    return false;
  }
  const uint64_t trailer = bits_ == 8 ? kPaletteSize : 0;
  const uint64_t file_size = file_.size().value_or(0);
  compressed_size_ = file_size > kHeaderSize + trailer ? file_size - kHeaderSize - trailer : 0;
  return true;
}

bool PcxReader::decode() {
  const bool indexed = bits_ == 8;
  // The compressed data runs from the header to the end of the file, or to
  // the 768-byte palette of 256-colour files (the byte before the palette,
  // its marker, stays inside and is never decoded).
  const uint64_t compressed_size = compressed_size_;
  if (compressed_size == 0) return fail("the PCX file holds no picture data");
  const uint64_t line_size = uint64_t{planes_} * bytes_per_line_;
  if (std::string why = claimed_size_refusal("PCX", line_size * static_cast<uint64_t>(height_), compressed_size,
                                              kMostBytesPerCompressedByte);
      !why.empty()) {
    return fail(std::move(why));
  }

  if (!target_->create(width_, height_, indexed ? 8 : 24, indexed ? 256 : 0)) return fail(target_->failure());
  if (indexed) {
    uint8_t palette[kPaletteSize];
    if (!file_.seek(kHeaderSize + compressed_size) || !file_.read_exact(palette, sizeof palette)) {
      return fail(file_.failure());
    }
    for (size_t i = 0; i < 256; ++i) {
      target_->palette()[i] = {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], 0, 0};
    }
  }

  ScratchBuffer compressed;
  if (!compressed.create(compressed_size, "CSWCLASS")) return fail(compressed.failure());
  if (!file_.seek(kHeaderSize) || !file_.read_exact(compressed.data(), compressed.size())) {
    return fail(file_.failure());
  }
  compressed.flush();

  std::vector<uint8_t> line(line_size);
  const std::span<const uint8_t> data(compressed.data(), compressed.size());
  size_t position = 0;
  for (int32_t y = 0; y < height_; ++y) {
    if (!decode_line(data, position, line)) return fail("the PCX picture data ends before its last row");
    uint8_t* out = target_->row(y);
    if (indexed) {
      std::copy_n(line.begin(), width_, out);
    } else {
      // Planes red, green, blue, each bytes-per-line long.
      const uint8_t* red = line.data();
      const uint8_t* green = red + bytes_per_line_;
      const uint8_t* blue = green + bytes_per_line_;
      for (int32_t x = 0; x < width_; ++x, out += 3) {
        out[0] = red[x];
        out[1] = green[x];
        out[2] = blue[x];
      }
    }
    report_progress(progress_, kPhaseReading, y, height_);
  }
  return true;
}

void PcxReader::close_format() {
  header_.fill(0);
  bits_ = 0;
  planes_ = 0;
  bytes_per_line_ = 0;
  compressed_size_ = 0;
}

}  // namespace quorvant::engine::pcx
