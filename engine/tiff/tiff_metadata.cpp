#include "engine/tiff/tiff_metadata.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "engine/metadata/exif_fields.h"

namespace quorvant::engine::tiff {

namespace {

using metadata::ExifDirectory;
using metadata::ExifField;

// The first directory's tags that describe the photo rather than the
// picture's layout: carried to and from an EXIF block's first directory.
constexpr std::array<uint16_t, 8> kDescriptiveTags = {TIFFTAG_IMAGEDESCRIPTION, TIFFTAG_MAKE,     TIFFTAG_MODEL,
                                                      TIFFTAG_SOFTWARE,         TIFFTAG_DATETIME, TIFFTAG_ARTIST,
                                                      TIFFTAG_HOSTCOMPUTER,     TIFFTAG_COPYRIGHT};

bool is_descriptive(uint16_t tag) {
  for (const uint16_t descriptive : kDescriptiveTags) {
    if (descriptive == tag) return true;
  }
  return false;
}

// No EXIF block is larger than a JPEG segment (64 KiB); a directory that
// claims more is damaged, and what fits is what is taken.
constexpr uint64_t kMostMetadataBytes = 65536;
constexpr uint64_t kMostEntries = 4096;
// Directories inside EXIF's own (Interoperability) are not carried.
constexpr uint16_t kInteroperabilityPointer = 0xA005;

std::vector<uint8_t> bytes_of(TIFF* tiff, uint32_t tag) {
  uint32_t count = 0;
  const void* data = nullptr;
  if (TIFFGetField(tiff, tag, &count, &data) != 1 || data == nullptr || count == 0) return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return {bytes, bytes + count};
}

// Reads a directory of EXIF or GPS fields as the file stores it, every
// offset and size checked; what cannot be read is left out.
class RawDirectoryReader {
 public:
  RawDirectoryReader(File& file, bool big_endian, bool big_tiff)
      : file_(file), big_endian_(big_endian), big_tiff_(big_tiff) {}

  void read(uint64_t offset, ExifDirectory directory, std::vector<ExifField>& fields) {
    const size_t count_size = big_tiff_ ? 8 : 2;
    const size_t entry_size = big_tiff_ ? 20 : 12;
    uint8_t count_bytes[8];
    if (offset == 0 || !file_.seek(offset) || !file_.read_exact(count_bytes, count_size)) return;
    const uint64_t count = std::min(big_tiff_ ? load(count_bytes, 8) : load(count_bytes, 2), kMostEntries);
    std::vector<uint8_t> entries(count * entry_size);
    if (!file_.read_exact(entries.data(), entries.size())) return;
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* entry = entries.data() + i * entry_size;
      ExifField field;
      field.directory = directory;
      field.tag = static_cast<uint16_t>(load(entry, 2));
      field.type = static_cast<uint16_t>(load(entry + 2, 2));
      const uint64_t values = big_tiff_ ? load(entry + 4, 8) : load(entry + 4, 4);
      const uint64_t size = uint64_t{metadata::exif_type_size(field.type)} * values;
      if (size == 0 || values > kMostMetadataBytes || taken_ + size > kMostMetadataBytes ||
          field.tag == kInteroperabilityPointer) {
        continue;
      }
      field.count = static_cast<uint32_t>(values);
      const uint8_t* inline_value = entry + (big_tiff_ ? 12 : 8);
      const size_t inline_size = big_tiff_ ? 8 : 4;
      if (size <= inline_size) {
        field.value.assign(inline_value, inline_value + size);
      } else {
        field.value.resize(size);
        const uint64_t at = big_tiff_ ? load(inline_value, 8) : load(inline_value, 4);
        if (!file_.seek(at) || !file_.read_exact(field.value.data(), field.value.size())) continue;
      }
      if (big_endian_) metadata::swap_value_bytes(field.value, field.type);
      taken_ += size;
      fields.push_back(std::move(field));
    }
  }

 private:
  uint64_t load(const uint8_t* p, size_t size) const {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= uint64_t{p[big_endian_ ? i : size - 1 - i]} << (8 * (size - 1 - i));
    return value;
  }

  File& file_;
  bool big_endian_;
  bool big_tiff_;
  uint64_t taken_ = 0;
};

ExifField ascii_field(uint16_t tag, const char* text) {
  ExifField field;
  field.tag = tag;
  field.type = TIFF_ASCII;
  field.value.assign(text, text + std::strlen(text) + 1);
  field.count = static_cast<uint32_t>(field.value.size());
  return field;
}

std::vector<uint8_t> exif_block_of_tiff(TIFF* tiff, File& file) {
  std::vector<ExifField> fields;
  for (const uint16_t tag : kDescriptiveTags) {
    const char* text = nullptr;
    if (TIFFGetField(tiff, tag, &text) == 1 && text != nullptr && text[0] != '\0') {
      fields.push_back(ascii_field(tag, text));
    }
  }
  uint64_t exif = 0;
  uint64_t gps = 0;
  TIFFGetField(tiff, TIFFTAG_EXIFIFD, &exif);
  TIFFGetField(tiff, TIFFTAG_GPSIFD, &gps);
  if (file && (exif != 0 || gps != 0)) {
    RawDirectoryReader reader(file, TIFFIsBigEndian(tiff) != 0, TIFFIsBigTIFF(tiff) != 0);
    reader.read(exif, ExifDirectory::kExif, fields);
    reader.read(gps, ExifDirectory::kGps, fields);
  }
  // Without EXIF or GPS data the descriptive tags alone are no EXIF block:
  // they stay where a TIFF keeps them.
  const bool any_exif =
      std::any_of(fields.begin(), fields.end(), [](const ExifField& f) { return f.directory != ExifDirectory::kMain; });
  return any_exif ? metadata::exif_block_of(fields) : std::vector<uint8_t>{};
}

// ---------------------------------------------------------------- writing

uint64_t unsigned_value(const ExifField& field, uint32_t i) {
  const uint32_t size = metadata::exif_type_size(field.type);
  uint64_t value = 0;
  for (uint32_t b = 0; b < size && b < 8; ++b) value |= uint64_t{field.value[i * size + b]} << (8 * b);
  return value;
}

int64_t signed_value(const ExifField& field, uint32_t i) {
  const uint64_t value = unsigned_value(field, i);
  switch (field.type) {
    case TIFF_SBYTE:
      return static_cast<int8_t>(value);
    case TIFF_SSHORT:
      return static_cast<int16_t>(value);
    case TIFF_SLONG:
      return static_cast<int32_t>(value);
    default:
      return static_cast<int64_t>(value);
  }
}

double real_value(const ExifField& field, uint32_t i) {
  const uint64_t raw = unsigned_value(field, i);
  switch (field.type) {
    case TIFF_RATIONAL: {
      const auto denominator = static_cast<uint32_t>(raw >> 32);
      return denominator == 0 ? 0.0 : static_cast<double>(static_cast<uint32_t>(raw)) / denominator;
    }
    case TIFF_SRATIONAL: {
      const auto denominator = static_cast<int32_t>(raw >> 32);
      return denominator == 0 ? 0.0 : static_cast<double>(static_cast<int32_t>(raw)) / denominator;
    }
    case TIFF_FLOAT: {
      float f;
      const auto bits = static_cast<uint32_t>(raw);
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    case TIFF_DOUBLE: {
      double d;
      std::memcpy(&d, &raw, sizeof d);
      return d;
    }
    default:
      return static_cast<double>(signed_value(field, i));
  }
}

bool is_real(uint16_t type) {
  return type == TIFF_RATIONAL || type == TIFF_SRATIONAL || type == TIFF_FLOAT || type == TIFF_DOUBLE;
}

// One field through TIFFSetField, its values in the form libtiff keeps for
// the tag (libtiff keeps rationals as floating-point numbers, for
// instance). A tag libtiff does not know, or whose value does not fit
// libtiff's idea of it, is left out.
void set_field(TIFF* tiff, const ExifField& field) {
  const TIFFField* info = TIFFFindField(tiff, field.tag, TIFF_ANY);
  if (info == nullptr || field.count == 0) return;
  const TIFFDataType type = TIFFFieldDataType(info);
  const bool passcount = TIFFFieldPassCount(info) != 0;
  const int readcount = TIFFFieldReadCount(info);
  const int set_size = TIFFFieldSetGetSize(info);
  uint32_t count = field.count;

  std::vector<uint8_t> values;
  std::string text;
  const void* pointer = nullptr;
  if (type == TIFF_ASCII) {
    if (field.type != TIFF_ASCII) return;
    text.assign(reinterpret_cast<const char*>(field.value.data()), field.value.size());
    text.resize(std::strlen(text.c_str()));
    count = static_cast<uint32_t>(text.size() + 1);
    pointer = text.c_str();
  } else if (set_size == 1) {
    if (is_real(field.type)) return;
    values.assign(field.value.begin(), field.value.end());
    if (metadata::exif_type_size(field.type) != 1) {
      for (uint32_t i = 0; i < count; ++i) values[i] = static_cast<uint8_t>(unsigned_value(field, i));
      values.resize(count);
    }
    pointer = values.data();
  } else if (is_real(static_cast<uint16_t>(type))) {
    if (set_size != 4 && set_size != 8) return;
    values.resize(size_t{count} * static_cast<size_t>(set_size));
    for (uint32_t i = 0; i < count; ++i) {
      if (set_size == 4) {
        const auto f = static_cast<float>(real_value(field, i));
        std::memcpy(values.data() + i * 4, &f, 4);
      } else {
        const double d = real_value(field, i);
        std::memcpy(values.data() + i * 8, &d, 8);
      }
    }
    pointer = values.data();
  } else {
    if (is_real(field.type) || (set_size != 2 && set_size != 4 && set_size != 8)) return;
    values.resize(size_t{count} * static_cast<size_t>(set_size));
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t v = static_cast<uint64_t>(signed_value(field, i));
      std::memcpy(values.data() + i * static_cast<size_t>(set_size), &v, static_cast<size_t>(set_size));
    }
    pointer = values.data();
  }

  if (passcount) {
    if (TIFFFieldSetGetCountSize(info) == 2) {
      if (count > 0xFFFF) return;
      TIFFSetField(tiff, field.tag, static_cast<int>(count), pointer);
    } else {
      TIFFSetField(tiff, field.tag, count, pointer);
    }
  } else if (type == TIFF_ASCII) {
    TIFFSetField(tiff, field.tag, text.c_str());
  } else if (readcount == 1) {
    // A single value goes by value, promoted as C promotes it.
    if (is_real(static_cast<uint16_t>(type))) {
      TIFFSetField(tiff, field.tag, real_value(field, 0));
    } else if (set_size == 8) {
      TIFFSetField(tiff, field.tag, static_cast<uint64_t>(signed_value(field, 0)));
    } else if (set_size == 4) {
      TIFFSetField(tiff, field.tag, static_cast<uint32_t>(signed_value(field, 0)));
    } else {
      TIFFSetField(tiff, field.tag, static_cast<int>(signed_value(field, 0)));
    }
  } else if (readcount > 1 && static_cast<uint32_t>(readcount) == count) {
    TIFFSetField(tiff, field.tag, pointer);
  }
}

// Writes the fields of `directory` as a custom directory of its own; its
// offset, or 0 when it has no field libtiff takes (libtiff refuses to write
// an empty one, and the picture must not be lost over that). `made` is set
// once a custom directory has replaced the picture's.
uint64_t write_directory(TIFF* tiff, const std::vector<ExifField>& fields, ExifDirectory directory, bool& made) {
  const bool any =
      std::any_of(fields.begin(), fields.end(), [&](const ExifField& f) { return f.directory == directory; });
  if (!any) return 0;
  if ((directory == ExifDirectory::kExif ? TIFFCreateEXIFDirectory(tiff) : TIFFCreateGPSDirectory(tiff)) != 0) return 0;
  made = true;
  for (const ExifField& field : fields) {
    if (field.directory == directory) set_field(tiff, field);
  }
  uint64_t offset = 0;
  const bool written = TIFFGetTagListCount(tiff) > 0 && TIFFWriteCustomDirectory(tiff, &offset) == 1;
  // Neither the next custom directory nor the picture's own frees the
  // values set here: libtiff only forgets them.
  TIFFFreeDirectory(tiff);
  return written ? offset : 0;
}

void set_bytes(TIFF* tiff, uint32_t tag, const std::vector<uint8_t>& bytes) {
  if (!bytes.empty() && bytes.size() <= UINT32_MAX) {
    TIFFSetField(tiff, tag, static_cast<uint32_t>(bytes.size()), bytes.data());
  }
}

}  // namespace

void note_tiff_metadata(TIFF* tiff, File& file, PictureNotes& notes) {
  notes.icc_profile = bytes_of(tiff, TIFFTAG_ICCPROFILE);
  notes.xmp = bytes_of(tiff, TIFFTAG_XMLPACKET);
  notes.photoshop = bytes_of(tiff, TIFFTAG_PHOTOSHOP);
  notes.exif = exif_block_of_tiff(tiff, file);
}

MetadataDirectories write_metadata_directories(TIFF* tiff, const PictureNotes& embedded) {
  if (embedded.exif.empty()) return {};
  const std::vector<ExifField> fields = metadata::exif_fields_of(embedded.exif);
  MetadataDirectories written;
  bool made = false;
  written.exif = write_directory(tiff, fields, ExifDirectory::kExif, made);
  written.gps = write_directory(tiff, fields, ExifDirectory::kGps, made);
  // Back to an ordinary first directory for the picture.
  if (made) TIFFCreateDirectory(tiff);
  return written;
}

void set_embedded_tags(TIFF* tiff, const PictureNotes& embedded, MetadataDirectories directories) {
  set_bytes(tiff, TIFFTAG_ICCPROFILE, embedded.icc_profile);
  set_bytes(tiff, TIFFTAG_XMLPACKET, embedded.xmp);
  set_bytes(tiff, TIFFTAG_PHOTOSHOP, embedded.photoshop);
  for (const ExifField& field : metadata::exif_fields_of(embedded.exif)) {
    if (field.directory == ExifDirectory::kMain && is_descriptive(field.tag)) set_field(tiff, field);
  }
  if (directories.exif != 0) TIFFSetField(tiff, TIFFTAG_EXIFIFD, directories.exif);
  if (directories.gps != 0) TIFFSetField(tiff, TIFFTAG_GPSIFD, directories.gps);
}

}  // namespace quorvant::engine::tiff
