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

bool prepare_for_target(ImageBuffer& picture, const PictureNotes& notes, const ConvertOptions& options,
                        TargetHolds holds, Prepared& prepared, std::string& why) {
  prepared = {};
  PictureNotes& embedded = prepared.embedded;
  // Upright first: every later step works on the picture as it is shown.
  bool turned = false;
  if (options.upright && notes.orientation != 1) {
    if (!turn_upright(picture, notes.orientation, why)) return false;
    turned = true;
    prepared.as_stored = false;
  }

  // The colours: kept with their profile where the target holds one, else
  // converted to sRGB (alpha is carried through unchanged).
  if (options.colour != ColourHandling::kAsStored && colour::has_colour_space(notes)) {
    // Every file these targets write is in colour: a grey picture's grey
    // profile would not describe it, so its greys are made sRGB's instead.
    const bool in_colour = picture.bits() != 8 || picture.palette_count() > 0;
    if (options.colour == ColourHandling::kProfile && holds.profile && in_colour) {
      embedded.icc_profile = colour::profile_to_embed(notes);
    } else {
      if (!colour::convert_to_srgb(picture, notes, why)) return false;
      prepared.as_stored = false;
    }
  }

  // Transparency kept where the target holds it; elsewhere the picture is
  // put over the background rather than showing the colours stored under
  // transparent pixels.
  if (options.alpha && !holds.alpha && picture.bits() == 32) {
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
