// The short click the command buttons play when pressed.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvant::ui::skinned {

// A whole WAV file: PCM, 2 channels, 22050 Hz, 16 bits, 1287 frames (about
// 58 ms). Made once, the same bytes every time.
const std::vector<uint8_t>& click_sound();

}  // namespace quorvant::ui::skinned
