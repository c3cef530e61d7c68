// libexif's ExifData held and released as the engine holds every library
// object, and the two ways in and out of it: an EXIF block (TIFF-structured
// bytes from the byte-order mark on) parsed, and saved again.
#pragma once

#include <libexif/exif-data.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quorvant::engine::metadata {

struct ExifDataRelease {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataRelease>;

// The block as libexif reads it, every tag kept as the file has it; null
// for an empty block or one larger than any EXIF block is (4 MiB). libexif
// looks into the first 64 KiB only: what lies beyond reads as no tag.
ExifDataPtr parsed_exif(std::span<const uint8_t> exif);

// An empty ExifData, little-endian, that adds and fixes nothing by itself.
ExifDataPtr new_exif();

// The block libexif lays out for `data`; empty when it cannot.
std::vector<uint8_t> saved_exif(ExifData& data);

}  // namespace quorvant::engine::metadata
