// The colour space a picture's notes describe (an ICC profile, or PNG's
// sRGB, gAMA and cHRM chunks), applied through lcms2.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image_buffer.h"
#include "engine/picture_notes.h"

namespace quorvant::engine::colour {

// Whether `notes` describe a colour space other than sRGB itself.
bool has_colour_space(const PictureNotes& notes);

// Converts `picture` (8-bit grey into sRGB's grey, palette entries, 24 or
// 32 bits; alpha is left as it is) from the colour space `notes` describe
// into sRGB: relative colorimetric with black-point compensation. Nothing
// changes when they describe none, or one that does not fit the picture
// (an RGB profile on a grey picture). Large pictures are converted in
// bands on the shared worker pool.
// False, with `why`, when the profile cannot be read.
bool convert_to_srgb(ImageBuffer& picture, const PictureNotes& notes, std::string& why);

// The ICC profile that describes the picture's colours for a target that
// holds one: the file's own, or one made from PNG's colour chunks; empty
// when the notes describe none.
std::vector<uint8_t> profile_to_embed(const PictureNotes& notes);

}  // namespace quorvant::engine::colour
