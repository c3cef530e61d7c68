// Between reading and writing: the loaded picture brought into the form
// the target gets, as the conversion's options ask: turned upright, in the
// target's colours, its transparency kept or put over the background, and
// the notes the writer embeds. With the default options nothing changes.
#pragma once

#include <string>

#include "engine/convert.h"
#include "engine/image_buffer.h"
#include "engine/picture_notes.h"

namespace quorvant::engine {

// What a target format holds besides its pixels.
struct TargetHolds {
  bool profile = false;   // an ICC profile
  bool alpha = false;     // transparency
  bool metadata = false;  // EXIF, XMP, Photoshop's resources
};

// What the reader is asked for, for `options`.
ReadOptions read_options_for(const ConvertOptions& options);

// What preparing gave the writer besides the picture.
struct Prepared {
  PictureNotes embedded;   // what the writer is to embed
  bool as_stored = true;   // the pixels are the file's own: nothing turned, converted or flattened
};

// Whether preparing a picture of `bits` (and `palette_count`) read with
// `notes` changes its pixels (turning, converting its colours, flattening
// its transparency); when not, the picture goes to the writer as it was
// read, and the writer may start on it while it is still being read.
bool prepare_changes_pixels(uint32_t bits, int32_t palette_count, const PictureNotes& notes,
                            const ConvertOptions& options, TargetHolds holds);

// Prepares `picture`, read with `notes`, for a target that holds `holds`.
// False, with `why`, when there is no room for a step's result or a
// profile cannot be used.
bool prepare_for_target(ImageBuffer& picture, const PictureNotes& notes, const ConvertOptions& options,
                        TargetHolds holds, Prepared& prepared, std::string& why);

}  // namespace quorvant::engine
