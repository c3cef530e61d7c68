#include "engine/metadata/exif_fields.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>

#include "engine/metadata/exif_data_handle.h"

namespace quorvant::engine::metadata {

namespace {

constexpr std::pair<ExifDirectory, ExifIfd> kDirectories[] = {
    {ExifDirectory::kMain, EXIF_IFD_0}, {ExifDirectory::kExif, EXIF_IFD_EXIF}, {ExifDirectory::kGps, EXIF_IFD_GPS}};

ExifIfd ifd_of(ExifDirectory directory) {
  for (const auto& [ours, libexif] : kDirectories) {
    if (ours == directory) return libexif;
  }
  return EXIF_IFD_0;
}

struct MemRelease {
  void operator()(ExifMem* mem) const { exif_mem_unref(mem); }
};
struct EntryRelease {
  void operator()(ExifEntry* entry) const { exif_entry_unref(entry); }
};

}  // namespace

uint32_t exif_type_size(uint16_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;  // BYTE, ASCII, SBYTE, UNDEFINED
    case 3: case 8: return 2;                  // SHORT, SSHORT
    case 4: case 9: case 11: return 4;         // LONG, SLONG, FLOAT
    case 5: case 10: case 12: return 8;        // RATIONAL, SRATIONAL, DOUBLE
    default: return 0;
  }
}

void swap_value_bytes(std::vector<uint8_t>& value, uint16_t type) {
  // Rationals are two 4-byte numbers.
  const uint32_t unit = (type == 5 || type == 10) ? 4 : exif_type_size(type);
  if (unit < 2) return;
  for (size_t at = 0; at + unit <= value.size(); at += unit) std::reverse(value.begin() + at, value.begin() + at + unit);
}

std::vector<ExifField> exif_fields_of(std::span<const uint8_t> exif) {
  const ExifDataPtr data = parsed_exif(exif);
  if (!data) return {};
  const bool big_endian = exif_data_get_byte_order(data.get()) == EXIF_BYTE_ORDER_MOTOROLA;
  std::vector<ExifField> fields;
  for (const auto& [directory, ifd] : kDirectories) {
    const ExifContent* content = data->ifd[ifd];
    for (unsigned int i = 0; i < content->count; ++i) {
      const ExifEntry* entry = content->entries[i];
      const uint32_t size = exif_type_size(static_cast<uint16_t>(entry->format));
      if (size == 0 || entry->data == nullptr || uint64_t{size} * entry->components != entry->size) continue;
      ExifField field{directory, static_cast<uint16_t>(entry->tag), static_cast<uint16_t>(entry->format),
                      static_cast<uint32_t>(entry->components), {entry->data, entry->data + entry->size}};
      if (big_endian) swap_value_bytes(field.value, field.type);
      fields.push_back(std::move(field));
    }
  }
  return fields;
}

std::vector<uint8_t> exif_block_of(std::span<const ExifField> fields) {
  const ExifDataPtr data = new_exif();
  const std::unique_ptr<ExifMem, MemRelease> mem(exif_mem_new_default());
  if (!data || !mem) return {};
  bool any = false;
  for (const ExifField& field : fields) {
    const uint32_t size = exif_type_size(field.type);
    if (size == 0 || field.count == 0 || uint64_t{size} * field.count != field.value.size()) continue;
    ExifContent* content = data->ifd[ifd_of(field.directory)];
    if (exif_content_get_entry(content, static_cast<ExifTag>(field.tag)) != nullptr) continue;  // once each
    const std::unique_ptr<ExifEntry, EntryRelease> entry(exif_entry_new_mem(mem.get()));
    if (!entry) return {};
    auto* value = static_cast<unsigned char*>(exif_mem_alloc(mem.get(), static_cast<ExifLong>(field.value.size())));
    if (value == nullptr) return {};
    std::memcpy(value, field.value.data(), field.value.size());
    entry->data = value;
    entry->size = static_cast<unsigned int>(field.value.size());
    entry->tag = static_cast<ExifTag>(field.tag);
    entry->format = static_cast<ExifFormat>(field.type);
    entry->components = field.count;
    exif_content_add_entry(content, entry.get());  // the directory holds its own reference
    any = true;
  }
  return any ? saved_exif(*data) : std::vector<uint8_t>{};
}

}  // namespace quorvant::engine::metadata
