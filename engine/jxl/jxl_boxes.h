// Collects the metadata boxes of a JPEG XL container as the decoder meets
// them: EXIF ("Exif", Brotli-compressed or not) and XMP ("xml "). Other
// boxes pass by unread.
#pragma once

#include <jxl/decode.h>

#include <cstdint>
#include <vector>

namespace quorvant::engine::jxl {

class MetadataBoxes {
 public:
  // Larger metadata boxes are left out rather than held.
  static constexpr size_t kLargestBox = 16u << 20;

  // Answers a box event: JXL_DEC_BOX starts a box (finishing the one
  // before), JXL_DEC_BOX_NEED_MORE_OUTPUT gives the current box more room.
  // False only when the decoder refuses a buffer.
  bool on_box_event(JxlDecoder* decoder, JxlDecoderStatus event);
  // Takes the last box's bytes once the decoder has moved past it (at the
  // next box or at the end).
  void finish(JxlDecoder* decoder);

  // The EXIF block from its byte-order mark on: the box's leading offset
  // to the TIFF header is skipped. Empty when there was no usable box.
  const std::vector<uint8_t>& exif() const { return exif_; }
  const std::vector<uint8_t>& xmp() const { return xmp_; }

 private:
  enum class Collecting { kNothing, kExif, kXmp };

  Collecting collecting_ = Collecting::kNothing;
  std::vector<uint8_t> buffer_;
  size_t filled_ = 0;  // bytes of buffer_ the decoder has written before the current buffer was set
  std::vector<uint8_t> exif_;
  std::vector<uint8_t> xmp_;
};

}  // namespace quorvant::engine::jxl
