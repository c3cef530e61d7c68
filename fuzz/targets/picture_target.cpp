#include "fuzz/targets/fuzz_targets.h"
#include "ui/pictures/picture_decoding.h"

namespace quorvant::fuzz {

std::optional<QImage> decode_and_read_picture(std::span<const uint8_t> bytes) {
  std::optional<QImage> picture = ui::pictures::decode_picture(bytes);
  if (picture) {
    volatile uint32_t sum = 0;
    for (int y = 0; y < picture->height(); ++y) {
      const uchar* row = picture->constScanLine(y);
      for (qsizetype x = 0; x < picture->bytesPerLine(); ++x) sum = sum + row[x];
    }
  }
  return picture;
}

}  // namespace quorvant::fuzz
