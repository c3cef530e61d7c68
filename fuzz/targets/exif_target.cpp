#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/metadata/exif_block.h"
#include "engine/metadata/exif_fields.h"
#include "fuzz/targets/metadata_target.h"

namespace quorvant::fuzz {

size_t edit_metadata(std::span<const uint8_t> bytes) {
  using engine::metadata::ExifEdits;
  size_t produced = static_cast<size_t>(engine::metadata::exif_orientation(bytes));
  // Every combination of the three edits, on the bytes as EXIF and as XMP.
  for (int combination = 0; combination < 8; ++combination) {
    const ExifEdits edits{.reset_orientation = (combination & 1) != 0,
                          .drop_thumbnail = (combination & 2) != 0,
                          .drop_location = (combination & 4) != 0};
    const std::vector<uint8_t> exif = engine::metadata::edited_exif(bytes, edits);
    produced += exif.size();
    // An edited block reads again, and editing it again changes nothing.
    if (edits.any() && !exif.empty()) produced += engine::metadata::edited_exif(exif, edits).size();
    produced += engine::metadata::edited_xmp(bytes, edits).size();
  }
  // The block taken apart into fields and put together again, as TIFF files
  // carry it.
  const std::vector<engine::metadata::ExifField> fields = engine::metadata::exif_fields_of(bytes);
  produced += engine::metadata::exif_block_of(fields).size();
  return produced;
}

}  // namespace quorvant::fuzz
