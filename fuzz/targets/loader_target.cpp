#include "engine/loader.h"
#include "fuzz/targets/fuzz_targets.h"

namespace quorvant::fuzz {

namespace {

bool load_and_touch(const engine::SourceFile& source, const engine::ReadOptions& options) {
  engine::ImageBuffer picture;
  engine::PictureNotes notes;
  if (engine::load_picture(source, picture, nullptr, options, &notes) != engine::kLoaded) return false;
  volatile uint32_t sum = 0;
  for (size_t i = 0; i < picture.pixel_bytes(); i += 61) sum = sum + picture.pixels()[i];
  if (picture.pixel_bytes() > 0) sum = sum + picture.pixels()[picture.pixel_bytes() - 1];
  for (const auto& entry : picture.palette()) sum = sum + entry.red;
  for (uint8_t byte : notes.icc_profile) sum = sum + byte;
  return true;
}

}  // namespace

// As the window reads the file, then as the command line does: every kind
// of file, with its transparency and everything it says besides its pixels.
bool load_and_read_picture(const std::string& path) {
  const engine::SourceFile source = engine::SourceFile::open(path);
  const bool as_window = load_and_touch(source, {});
  engine::ReadOptions everything;
  everything.more_kinds = true;
  everything.alpha = true;
  everything.notes = true;
  everything.stored_colours = true;
  const bool as_command_line = load_and_touch(source, everything);
  return as_window || as_command_line;
}

}  // namespace quorvant::fuzz
