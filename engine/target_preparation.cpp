#include "engine/target_preparation.h"

#include "engine/colour/colour_space.h"
#include "engine/metadata/exif_block.h"
#include "engine/orientation.h"
#include "engine/transparency.h"

namespace quorvant::engine {

ReadOptions read_options_for(const ConvertOptions& options) {
  ReadOptions read;
  read.more_kinds = options.more_kinds;
  read.alpha = options.alpha;
  read.notes = options.upright || options.colour != ColourHandling::kAsStored ||
               options.metadata != MetadataHandling::kNone;
  read.stored_colours = options.colour != ColourHandling::kAsStored;
  return read;
}

namespace {

bool turns(const PictureNotes& notes, const ConvertOptions& options) {
  return options.upright && notes.orientation != 1;
}

// Whether the colours are converted to sRGB, rather than kept (with their
// profile or as they are).
bool converts_colours(uint32_t bits, int32_t palette_count, const PictureNotes& notes, const ConvertOptions& options,
                      TargetHolds holds) {
  if (options.colour == ColourHandling::kAsStored || !colour::has_colour_space(notes)) return false;
  // Every file these targets write is in colour: a grey picture's grey
  // profile would not describe it, so its greys are made sRGB's instead.
  const bool in_colour = bits != 8 || palette_count > 0;
  return !(options.colour == ColourHandling::kProfile && holds.profile && in_colour);
}

bool flattens(uint32_t bits, const ConvertOptions& options, TargetHolds holds) {
  return options.alpha && !holds.alpha && bits == 32;
}

}  // namespace

bool prepare_changes_pixels(uint32_t bits, int32_t palette_count, const PictureNotes& notes,
                            const ConvertOptions& options, TargetHolds holds) {
  return turns(notes, options) || converts_colours(bits, palette_count, notes, options, holds) ||
         flattens(bits, options, holds);
}

bool prepare_for_target(ImageBuffer& picture, const PictureNotes& notes, const ConvertOptions& options,
                        TargetHolds holds, Prepared& prepared, std::string& why) {
  prepared = {};
  PictureNotes& embedded = prepared.embedded;
  // Upright first: every later step works on the picture as it is shown.
  bool turned = false;
  if (turns(notes, options)) {
    if (!turn_upright(picture, notes.orientation, why)) return false;
    turned = true;
    prepared.as_stored = false;
  }

  // The colours: kept with their profile where the target holds one, else
  // converted to sRGB (alpha is carried through unchanged).
  if (converts_colours(picture.bits(), picture.palette_count(), notes, options, holds)) {
    if (!colour::convert_to_srgb(picture, notes, why)) return false;
    prepared.as_stored = false;
  } else if (options.colour != ColourHandling::kAsStored && colour::has_colour_space(notes)) {
    embedded.icc_profile = colour::profile_to_embed(notes);
  }

  // Transparency kept where the target holds it; elsewhere the picture is
  // put over the background rather than showing the colours stored under
  // transparent pixels.
  if (flattens(picture.bits(), options, holds)) {
    if (!put_over_background(picture, options.background, why)) return false;
    prepared.as_stored = false;
  }

  if (options.metadata != MetadataHandling::kNone && holds.metadata) {
    metadata::ExifEdits edits;
    // The pixels as written are upright when they were turned; otherwise
    // the tag still says how to show them.
    edits.reset_orientation = turned;
    edits.drop_thumbnail = turned;
    edits.drop_location = options.metadata == MetadataHandling::kAllButPlace;
    embedded.exif = metadata::edited_exif(notes.exif, edits);
    embedded.xmp = metadata::edited_xmp(notes.xmp, edits);
    embedded.photoshop = notes.photoshop;
    embedded.orientation = turned ? 1 : notes.orientation;
  }
  return true;
}

}  // namespace quorvant::engine
