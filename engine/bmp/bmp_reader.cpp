#include "engine/bmp/bmp_reader.h"

#include "engine/bmp/bmp_layout.h"
#include "engine/byte_order.h"

namespace quorvant::engine::bmp {

bool BmpReader::open_format(const SourceFile&) {
  uint8_t header[kFileHeaderSize];
  if (!file_.read_exact(header, sizeof header) || header[0] != 'B' || (header[1] != 'M' && header[1] != 'A')) {
    return false;
  }
  file_size_ = file_.size().value_or(0);
  pixel_offset_ = load_le32(header + kPixelOffsetAt);
  // The information block runs from the file header to the pixels. Its
  // length comes from the file, so it is checked against the file's size
  // before anything is allocated for it.
  if (pixel_offset_ < kFileHeaderSize + 4 || pixel_offset_ > file_size_) {
    return fail("damaged bitmap: its pixel data would start outside the file");
  }
  info_.resize(pixel_offset_ - kFileHeaderSize);
  return file_.read_exact(info_.data(), info_.size()) && decode_header();
}

bool BmpReader::decode_header() {
  const uint8_t* h = info_.data();
  const bool core_header = load_le32(h + kHeaderSizeAt) == kCoreHeaderSize;
  if (info_.size() < (core_header ? kCoreHeaderSize : kInfoHeaderSize)) {
    return fail("damaged bitmap: its header is cut short");
  }

  // Both headers are first tested on their 32-bit words at offsets 4 and 8.
  const auto word_at_4 = static_cast<int32_t>(load_le32(h + kWidthAt));
  const auto word_at_8 = static_cast<int32_t>(load_le32(h + kHeightAt));
  if (word_at_4 < 1 || word_at_8 == 0) return fail("damaged bitmap: it claims no pixels");

  uint32_t depth = 0;
  if (core_header) {
    width_ = load_le16(h + kCoreWidthAt);
    height_ = load_le16(h + kCoreHeightAt);
    depth = load_le16(h + kCoreBitsAt);
    bottom_up_ = true;
  } else {
    if (word_at_8 == INT32_MIN) return fail("damaged bitmap: its height cannot be");  // has no positive twin
    width_ = word_at_4;
    bottom_up_ = word_at_8 > 0;
    height_ = bottom_up_ ? word_at_8 : -word_at_8;
    const uint32_t compression = load_le32(h + kCompressionAt);
    // Run-length compression fixes the depth whatever the bits field says;
    // bit-field compression (3) of 24-bit pixels is stored like none.
    switch (compression) {
      case 0:
      case 3:
        depth = load_le16(h + kBitsAt);
        break;
      case 1:
        depth = 8;
        break;
      case 2:
        depth = 4;
        break;
      default:
        return fail("bitmaps compressed with method " + std::to_string(compression) + " are not read");
    }
  }
  if (depth != 24) return fail("only 24-bit bitmaps are read; this one has " + std::to_string(depth) + " bits a pixel");

  // Both the picture in memory and the stored rows must fit the 32-bit limit.
  if (std::string why = picture_size_refusal(width_, height_, 24); !why.empty()) return fail(std::move(why));
  return row_size(static_cast<uint64_t>(width_)) * static_cast<uint64_t>(height_) <= kMaxPixelBytes ||
         fail("the bitmap's rows need more than 4 GiB");
}


bool BmpReader::decode() {
  const uint64_t stride = row_size(static_cast<uint64_t>(width_));
  // A file too short for its rows fails before the picture is made.
  if (pixel_offset_ + stride * static_cast<uint64_t>(height_) > file_size_) {
    return fail("the bitmap ends before its last row");
  }
  if (!target_->create(width_, height_, 24, 0)) return fail(target_->failure());
  if (!file_.seek(pixel_offset_)) return fail(file_.failure());

  std::vector<uint8_t> stored(stride);
  for (int32_t i = 0; i < height_; ++i) {
    if (!file_.read_exact(stored.data(), stored.size())) return fail(file_.failure());
    // Stored rows are bottom-up unless the header's height was negative.
    copy_swapping_red_and_blue(stored.data(), target_->row(bottom_up_ ? height_ - 1 - i : i), width_);
    report_progress(progress_, kPhaseReading, i, height_);
  }
  return true;
}

void BmpReader::close_format() {
  info_.clear();
  info_.shrink_to_fit();
  file_size_ = 0;
  pixel_offset_ = 0;
  bottom_up_ = true;
}

}  // namespace quorvant::engine::bmp
