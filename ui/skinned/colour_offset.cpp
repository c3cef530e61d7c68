#include "ui/skinned/colour_offset.h"

#include <algorithm>

namespace quorvant::ui::skinned {

QColor offset_colour(const QColor& colour, int shade) {
  if (shade < -255 || shade > 255) return colour;
  const int channels[] = {colour.red(), colour.green(), colour.blue()};
  int offset = shade;
  for (int channel : channels) {
    if (shade > 0) {
      offset = std::min(offset, std::min(shade, 255 - channel));
    } else {
      offset = std::max(offset, std::max(shade, -channel));
    }
  }
  return QColor(channels[0] + offset, channels[1] + offset, channels[2] + offset);
}

}  // namespace quorvant::ui::skinned
