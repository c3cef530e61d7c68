// What a PNG file says besides its pixels, as libpng has read it: the
// colour chunks (iCCP, sRGB, gAMA, cHRM) and the metadata (eXIf, and XMP
// in an iTXt chunk).
#pragma once

#include <png.h>

#include "engine/picture_notes.h"

namespace quorvant::engine::png {

// Fills what `notes` do not hold yet from the chunks libpng has stored in
// `info`. Called once the header is read and again after the picture data,
// since eXIf and iTXt may follow it; the first chunk of each kind counts.
// Calls only libpng's getters, which never jump.
void note_chunks(png_structp png, png_infop info, PictureNotes& notes);

}  // namespace quorvant::engine::png
