#include "engine/metadata/exif_block.h"

#include <libexif/exif-data.h>

#include <cstdlib>
#include <memory>

namespace quorvant::engine::metadata {

namespace {

struct ExifDataRelease {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataRelease>;

// libexif reads a block that starts with the "Exif\0\0" of JPEG's APP1.
std::vector<uint8_t> with_exif_header(std::span<const uint8_t> exif) {
  std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
  block.insert(block.end(), exif.begin(), exif.end());
  return block;
}

// More than any EXIF block holds (a JPEG segment carries 64 KiB): a larger
// one is not looked into.
constexpr size_t kLargestBlock = 4u << 20;

ExifDataPtr parsed(std::span<const uint8_t> exif) {
  if (exif.empty() || exif.size() > kLargestBlock) return nullptr;
  ExifDataPtr data(exif_data_new());
  if (!data) return nullptr;
  // Tags are taken as the file has them: libexif neither adds missing
  // mandatory ones nor drops those it does not know.
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  const std::vector<uint8_t> block = with_exif_header(exif);
  exif_data_load_data(data.get(), block.data(), static_cast<unsigned int>(block.size()));
  return data;
}

}  // namespace

int exif_orientation(std::span<const uint8_t> exif) {
  const ExifDataPtr data = parsed(exif);
  if (!data) return 1;
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components != 1) return 1;
  const int orientation = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

std::vector<uint8_t> edited_exif(std::span<const uint8_t> exif, const ExifEdits& edits) {
  if (!edits.any() || exif.empty()) return {exif.begin(), exif.end()};
  const ExifDataPtr data = parsed(exif);
  if (!data) return {};
  if (edits.reset_orientation) {
    if (ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
        entry != nullptr && entry->format == EXIF_FORMAT_SHORT && entry->components == 1) {
      exif_set_short(entry->data, exif_data_get_byte_order(data.get()), 1);
    }
  }
  if (edits.drop_location) {
    ExifContent* gps = data->ifd[EXIF_IFD_GPS];
    while (gps->count > 0) exif_content_remove_entry(gps, gps->entries[gps->count - 1]);
  }
  if (edits.drop_thumbnail) {
    // The thumbnail's bytes and the directory that describes them.
    ExifContent* thumbnail = data->ifd[EXIF_IFD_1];
    while (thumbnail->count > 0) exif_content_remove_entry(thumbnail, thumbnail->entries[thumbnail->count - 1]);
    // exif_data_new's allocator is the C library's, so its thumbnail is
    // freed as libexif itself frees it.
    std::free(data->data);
    data->data = nullptr;
    data->size = 0;
  }
  unsigned char* saved = nullptr;
  unsigned int size = 0;
  exif_data_save_data(data.get(), &saved, &size);
  const std::unique_ptr<unsigned char, decltype(&std::free)> owned(saved, &std::free);
  // libexif writes the block with JPEG's "Exif\0\0" before it.
  constexpr unsigned int kHeader = 6;
  if (saved == nullptr || size <= kHeader) return {};
  return {saved + kHeader, saved + size};
}

std::vector<uint8_t> edited_xmp(std::span<const uint8_t> xmp, const ExifEdits&) { return {xmp.begin(), xmp.end()}; }

}  // namespace quorvant::engine::metadata
