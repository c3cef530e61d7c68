// The segments of a JPEG file that carry what it says besides its pixels:
// EXIF and XMP (APP1), the ICC profile (APP2, split over several segments
// when large) and Photoshop's resources with IPTC (APP13).
#pragma once

#include <cstdio>

#include <jpeglib.h>

#include "engine/picture_notes.h"

namespace quorvant::engine::jpeg {

// Asks libjpeg to keep those segments; call before jpeg_read_header.
void keep_note_segments(jpeg_decompress_struct& decompress);

// Fills `notes` from the segments libjpeg kept (after jpeg_read_header).
// The EXIF block's orientation becomes notes.orientation.
void note_segments(jpeg_decompress_struct& decompress, PictureNotes& notes);

// Writes the segments for `notes` (after jpeg_start_compress, before the
// first row): EXIF, XMP, the ICC profile, Photoshop's resources.
void write_note_segments(jpeg_compress_struct& compress, const PictureNotes& notes);

}  // namespace quorvant::engine::jpeg
