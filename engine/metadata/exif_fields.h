// An EXIF block taken apart into its fields and put together from them, for
// formats that keep the same fields as tags of their own (TIFF keeps Make
// and Model in its first directory and the rest in EXIF and GPS
// directories of its own).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quorvant::engine::metadata {

enum class ExifDirectory { kMain, kExif, kGps };

struct ExifField {
  ExifDirectory directory = ExifDirectory::kMain;
  uint16_t tag = 0;
  uint16_t type = 0;  // TIFF's field types, 1 (BYTE) to 12 (DOUBLE)
  uint32_t count = 0;
  std::vector<uint8_t> value;  // count values of the type, little-endian
};

// Bytes per value of a TIFF field type EXIF blocks hold (1 to 12); 0 for
// any other type.
uint32_t exif_type_size(uint16_t type);

// Turns `count` values of `type` from big- to little-endian or back.
void swap_value_bytes(std::vector<uint8_t>& value, uint16_t type);

// The fields of the block's first, EXIF and GPS directories, as libexif
// reads them (the thumbnail's directory and the Interoperability
// directory are not taken). Empty for a block libexif cannot read.
std::vector<ExifField> exif_fields_of(std::span<const uint8_t> exif);

// An EXIF block holding `fields` (fields of other types, or whose value
// does not match their count, are left out); empty when there are none.
std::vector<uint8_t> exif_block_of(std::span<const ExifField> fields);

}  // namespace quorvant::engine::metadata
