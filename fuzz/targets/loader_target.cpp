#include "engine/loader.h"
#include "fuzz/targets/fuzz_targets.h"

namespace quorvant::fuzz {

bool load_and_read_picture(const std::string& path) {
  engine::ImageBuffer picture;
  if (engine::load_picture(path, picture) != engine::kLoaded) return false;
  volatile uint32_t sum = 0;
  for (size_t i = 0; i < picture.pixel_bytes(); i += 61) sum = sum + picture.pixels()[i];
  if (picture.pixel_bytes() > 0) sum = sum + picture.pixels()[picture.pixel_bytes() - 1];
  for (const auto& entry : picture.palette()) sum = sum + entry.red;
  return true;
}

}  // namespace quorvant::fuzz
