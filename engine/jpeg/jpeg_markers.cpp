#include "engine/jpeg/jpeg_markers.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "engine/metadata/exif_block.h"

namespace quorvant::engine::jpeg {

namespace {

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;
constexpr int kApp13 = JPEG_APP0 + 13;
// A segment's length field counts itself: 65533 bytes of payload at most.
constexpr size_t kLargestPayload = 0xFFFF - 2;

// The signatures that open each kind of segment, their terminating zero
// bytes included.
constexpr std::string_view kExifSignature{"Exif\0\0", 6};
constexpr std::string_view kXmpSignature{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kPhotoshopSignature{"Photoshop 3.0\0", 14};

bool starts_with(const jpeg_marker_struct& marker, std::string_view signature) {
  return marker.data_length >= signature.size() && std::memcmp(marker.data, signature.data(), signature.size()) == 0;
}

std::vector<uint8_t> payload_after(const jpeg_marker_struct& marker, std::string_view signature) {
  return {marker.data + signature.size(), marker.data + marker.data_length};
}

void write_segment(jpeg_compress_struct& compress, int marker, std::string_view signature,
                   const std::vector<uint8_t>& payload) {
  // A block too large for one segment is left out rather than cut short.
  if (payload.empty() || payload.size() + signature.size() > kLargestPayload) return;
  jpeg_write_m_header(&compress, marker, static_cast<unsigned>(signature.size() + payload.size()));
  for (char c : signature) jpeg_write_m_byte(&compress, static_cast<uint8_t>(c));
  for (uint8_t byte : payload) jpeg_write_m_byte(&compress, byte);
}

}  // namespace

void keep_note_segments(jpeg_decompress_struct& decompress) {
  for (int marker : {kApp1, kApp2, kApp13}) jpeg_save_markers(&decompress, marker, 0xFFFF);
}

void note_segments(jpeg_decompress_struct& decompress, PictureNotes& notes) {
  for (const jpeg_marker_struct* marker = decompress.marker_list; marker != nullptr; marker = marker->next) {
    // The first of each kind counts, as readers of EXIF take it.
    if (marker->marker == kApp1 && notes.exif.empty() && starts_with(*marker, kExifSignature)) {
      notes.exif = payload_after(*marker, kExifSignature);
    } else if (marker->marker == kApp1 && notes.xmp.empty() && starts_with(*marker, kXmpSignature)) {
      notes.xmp = payload_after(*marker, kXmpSignature);
    } else if (marker->marker == kApp13 && notes.photoshop.empty() && starts_with(*marker, kPhotoshopSignature)) {
      notes.photoshop = payload_after(*marker, kPhotoshopSignature);
    }
  }
  // libjpeg-turbo joins the profile's segments in their numbered order and
  // refuses a set with a segment missing or repeated.
  JOCTET* profile = nullptr;
  unsigned int length = 0;
  if (jpeg_read_icc_profile(&decompress, &profile, &length) && profile != nullptr) {
    const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
    notes.icc_profile.assign(profile, profile + length);
  }
  if (!notes.exif.empty()) notes.orientation = metadata::exif_orientation(notes.exif);
}

void write_note_segments(jpeg_compress_struct& compress, const PictureNotes& notes) {
  write_segment(compress, kApp1, kExifSignature, notes.exif);
  write_segment(compress, kApp1, kXmpSignature, notes.xmp);
  if (!notes.icc_profile.empty()) {
    jpeg_write_icc_profile(&compress, notes.icc_profile.data(), static_cast<unsigned>(notes.icc_profile.size()));
  }
  write_segment(compress, kApp13, kPhotoshopSignature, notes.photoshop);
}

}  // namespace quorvant::engine::jpeg
