// The profiles a conversion works with: a file's own ICC profile, one made
// from PNG's gAMA and cHRM chunks, and sRGB for grey pictures.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/colour/lcms_handles.h"
#include "engine/picture_notes.h"

namespace quorvant::engine::colour {

// The profile in `bytes`; null when lcms2 cannot read it.
Profile open_profile(std::span<const uint8_t> bytes);

// The colour space PNG's gAMA chunk (with cHRM's primaries and white
// point, or sRGB's and D65 without it) describes: an RGB profile, or a grey
// one for grey pictures. Null when the chunks describe no usable space (no
// gamma, a gamma out of all reason, primaries that span no colour space).
Profile png_chunks_profile(const PngColourChunks& chunks, bool grey);

// Grey with sRGB's tone curve and white: what grey pictures are converted
// into, as sRGB is for colour ones.
Profile srgb_grey_profile();

// The profile as ICC bytes, for embedding; empty when lcms2 cannot write it.
std::vector<uint8_t> serialised(void* profile);

// Whether `bytes` hold a profile lcms2 reads that describes RGB colours.
bool is_rgb_profile(std::span<const uint8_t> bytes);

// The profile's description, as PNG's iCCP chunk may name it: printable
// Latin-1, single spaces, 1 to 79 characters; "ICC Profile" when the
// profile has no usable description.
std::string profile_name(std::span<const uint8_t> bytes);

}  // namespace quorvant::engine::colour
