#include "engine/metadata/exif_block.h"

#include <libexif/exif-data.h>

#include <cstdlib>
#include <memory>

#include "engine/metadata/exif_data_handle.h"

namespace quorvant::engine::metadata {

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kGpsDirectoryTag = 0x8825;

// Whether the block's first directory has an entry for `tag`, read without
// libexif: what libexif could not make sense of must not be copied as if it
// were not there. Every read is checked against the block's end.
bool first_directory_has(std::span<const uint8_t> exif, uint16_t tag) {
  if (exif.size() < 8) return false;
  const bool big_endian = exif[0] == 'M';
  auto load16 = [&](size_t at) {
    return big_endian ? static_cast<uint16_t>(exif[at] << 8 | exif[at + 1])
                      : static_cast<uint16_t>(exif[at + 1] << 8 | exif[at]);
  };
  auto load32 = [&](size_t at) {
    return big_endian ? uint32_t{load16(at)} << 16 | load16(at + 2) : uint32_t{load16(at + 2)} << 16 | load16(at);
  };
  const uint64_t directory = load32(4);
  if (directory + 2 > exif.size()) return false;
  const uint64_t count = load16(directory);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t entry = directory + 2 + 12 * i;
    if (entry + 12 > exif.size()) return false;
    if (load16(entry) == tag) return true;
  }
  return false;
}

// Sets the first directory's Orientation to 1 (an entry libexif cannot
// rewrite in place, of another format or count, is removed: no Orientation
// means upright). False when there was nothing to change.
bool reset_orientation(ExifData& data) {
  ExifContent* main = data.ifd[EXIF_IFD_0];
  ExifEntry* entry = exif_content_get_entry(main, EXIF_TAG_ORIENTATION);
  if (entry == nullptr) return false;
  const ExifByteOrder order = exif_data_get_byte_order(&data);
  if (entry->format == EXIF_FORMAT_SHORT && entry->components == 1 && entry->size >= 2) {
    if (exif_get_short(entry->data, order) == 1) return false;
    exif_set_short(entry->data, order, 1);
  } else {
    exif_content_remove_entry(main, entry);
  }
  return true;
}

// Removes every entry of a directory. False when it had none.
bool empty_directory(ExifContent& content) {
  const bool had_entries = content.count > 0;
  while (content.count > 0) exif_content_remove_entry(&content, content.entries[content.count - 1]);
  return had_entries;
}

// The thumbnail's bytes and the directory that describes them. False when
// the block had neither.
bool drop_thumbnail(ExifData& data) {
  const bool had_thumbnail = data.data != nullptr || data.size > 0;
  const bool had_directory = empty_directory(*data.ifd[EXIF_IFD_1]);
  // exif_data_new's allocator is the C library's, so the thumbnail is freed
  // as libexif itself frees it.
  std::free(data.data);
  data.data = nullptr;
  data.size = 0;
  return had_thumbnail || had_directory;
}

}  // namespace

int exif_orientation(std::span<const uint8_t> exif) {
  const ExifDataPtr data = parsed_exif(exif);
  if (!data) return 1;
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components != 1 || entry->size < 2) return 1;
  const int orientation = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

std::vector<uint8_t> edited_exif(std::span<const uint8_t> exif, const ExifEdits& edits) {
  if (!edits.any() || exif.empty()) return {exif.begin(), exif.end()};
  const ExifDataPtr data = parsed_exif(exif);
  if (!data) return {};
  bool changed = false;
  if (edits.reset_orientation) {
    changed |= reset_orientation(*data);
    // An Orientation libexif did not read may still turn the picture in
    // other programs: a block that keeps it is not copied.
    if (!changed && exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION) == nullptr &&
        first_directory_has(exif, kOrientationTag)) {
      return {};
    }
  }
  if (edits.drop_location) {
    const bool dropped = empty_directory(*data->ifd[EXIF_IFD_GPS]);
    changed |= dropped;
    // A place libexif could not read (its directory damaged, or beyond the
    // 64 KiB libexif looks into) is not carried unseen: the block goes.
    if (!dropped && first_directory_has(exif, kGpsDirectoryTag)) return {};
  }
  if (edits.drop_thumbnail) changed |= drop_thumbnail(*data);
  // Nothing applied: the block is carried as it came, not as libexif would
  // lay it out again.
  if (!changed) return {exif.begin(), exif.end()};
  return saved_exif(*data);
}

}  // namespace quorvant::engine::metadata
