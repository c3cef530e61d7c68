#include "engine/metadata/exif_data_handle.h"

#include <cstdlib>

namespace quorvant::engine::metadata {

namespace {

// More than any EXIF block holds (a JPEG segment carries 64 KiB): a larger
// one is not looked into.
constexpr size_t kLargestBlock = 4u << 20;

// libexif reads and writes a block behind JPEG's "Exif\0\0".
constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

}  // namespace

ExifDataPtr new_exif() {
  ExifDataPtr data(exif_data_new());
  if (!data) return nullptr;
  // Tags are taken as the file has them: libexif neither adds missing
  // mandatory ones nor drops those it does not know (a camera's private
  // tags, newer ones).
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
  exif_data_set_byte_order(data.get(), EXIF_BYTE_ORDER_INTEL);
  return data;
}

ExifDataPtr parsed_exif(std::span<const uint8_t> exif) {
  if (exif.empty() || exif.size() > kLargestBlock) return nullptr;
  ExifDataPtr data = new_exif();
  if (!data) return nullptr;
  std::vector<uint8_t> block(std::begin(kExifHeader), std::end(kExifHeader));
  block.insert(block.end(), exif.begin(), exif.end());
  exif_data_load_data(data.get(), block.data(), static_cast<unsigned int>(block.size()));
  return data;
}

std::vector<uint8_t> saved_exif(ExifData& data) {
  unsigned char* saved = nullptr;
  unsigned int size = 0;
  exif_data_save_data(&data, &saved, &size);
  const std::unique_ptr<unsigned char, decltype(&std::free)> owned(saved, &std::free);
  if (saved == nullptr || size <= sizeof kExifHeader) return {};
  return {saved + sizeof kExifHeader, saved + size};
}

}  // namespace quorvant::engine::metadata
