#include "engine/jxl/jxl_boxes.h"

#include <algorithm>
#include <cstring>

namespace quorvant::engine::jxl {

namespace {

constexpr size_t kFirstRoom = 64u << 10;

uint32_t load_be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

bool MetadataBoxes::on_box_event(JxlDecoder* decoder, JxlDecoderStatus event) {
  if (event == JXL_DEC_BOX) {
    finish(decoder);
    JxlBoxType type{};
    if (JxlDecoderGetBoxType(decoder, type, JXL_TRUE) != JXL_DEC_SUCCESS) return true;
    // The first box of each kind counts; later ones are left alone.
    if (std::memcmp(type, "Exif", 4) == 0 && exif_.empty()) {
      collecting_ = Collecting::kExif;
    } else if (std::memcmp(type, "xml ", 4) == 0 && xmp_.empty()) {
      collecting_ = Collecting::kXmp;
    } else {
      return true;
    }
    buffer_.assign(kFirstRoom, 0);
    filled_ = 0;
    return JxlDecoderSetBoxBuffer(decoder, buffer_.data(), buffer_.size()) == JXL_DEC_SUCCESS;
  }
  // More output for the box being collected.
  if (collecting_ == Collecting::kNothing) return true;
  filled_ = buffer_.size() - JxlDecoderReleaseBoxBuffer(decoder);
  if (buffer_.size() >= kLargestBox) {
    // Left out: without a buffer the decoder passes over the rest.
    collecting_ = Collecting::kNothing;
    buffer_ = {};
    return true;
  }
  buffer_.resize(std::min(buffer_.size() * 2, kLargestBox));
  return JxlDecoderSetBoxBuffer(decoder, buffer_.data() + filled_, buffer_.size() - filled_) == JXL_DEC_SUCCESS;
}

void MetadataBoxes::finish(JxlDecoder* decoder) {
  if (collecting_ == Collecting::kNothing) return;
  const size_t unused = JxlDecoderReleaseBoxBuffer(decoder);
  buffer_.resize(buffer_.size() - std::min(unused, buffer_.size()));
  if (collecting_ == Collecting::kXmp) {
    xmp_ = std::move(buffer_);
  } else if (buffer_.size() >= 4) {
    // The box starts with the offset of the TIFF header from the end of
    // that offset field; usually 0.
    const uint64_t offset = load_be32(buffer_.data());
    if (offset <= buffer_.size() - 4) exif_.assign(buffer_.begin() + 4 + static_cast<ptrdiff_t>(offset), buffer_.end());
  }
  collecting_ = Collecting::kNothing;
  buffer_ = {};
  filled_ = 0;
}

}  // namespace quorvant::engine::jxl
