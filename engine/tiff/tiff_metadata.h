// What a TIFF holds besides its pixels, read into PictureNotes and written
// from them: the ICC profile, XMP and Photoshop's resources as tags of the
// first directory, and the EXIF data as TIFF keeps it, its descriptive tags
// (Make, Model, ...) in the first directory and the rest in EXIF and GPS
// directories of their own.
#pragma once

#include <tiffio.h>

#include "engine/file.h"
#include "engine/picture_notes.h"

namespace quorvant::engine::tiff {

// Notes the profile, XMP, Photoshop's resources and an EXIF block made of
// the first directory's descriptive tags and the EXIF and GPS directories,
// which are read from `file` (the same file; libtiff's own handle stays on
// the first directory). Damaged metadata is left out, never an error.
void note_tiff_metadata(TIFF* tiff, File& file, PictureNotes& notes);

// Writes the EXIF and GPS directories `embedded.exif` holds, before
// anything else is written to the file; returns where they went (0: not
// written). Then, with the first directory's other tags set,
// set_embedded_tags adds the profile, XMP, Photoshop's resources, the
// descriptive tags and the pointers to the two directories.
struct MetadataDirectories {
  uint64_t exif = 0;
  uint64_t gps = 0;
};
MetadataDirectories write_metadata_directories(TIFF* tiff, const PictureNotes& embedded);
void set_embedded_tags(TIFF* tiff, const PictureNotes& embedded, MetadataDirectories directories);

}  // namespace quorvant::engine::tiff
