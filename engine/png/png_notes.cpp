#include "engine/png/png_notes.h"

#include <array>
#include <cmath>
#include <cstring>

#include "engine/metadata/exif_block.h"

namespace quorvant::engine::png {

namespace {

constexpr char kXmpKeyword[] = "XML:com.adobe.xmp";

// What a gAMA chunk says of sRGB's curve, which is close to a 2.2 power.
constexpr double kSrgbFileGamma = 0.45455;

// sRGB's white and primaries as cHRM orders them (white, red, green, blue),
// within the rounding of writers that store fewer digits.
bool near_srgb_primaries(const std::array<double, 8>& xy) {
  constexpr std::array<double, 8> kSrgb = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
  for (size_t i = 0; i < xy.size(); ++i) {
    if (std::abs(xy[i] - kSrgb[i]) > 0.001) return false;
  }
  return true;
}

void note_colour_chunks(png_structp png, png_infop info, PictureNotes& notes) {
  if (notes.icc_profile.empty()) {
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    // libpng has inflated the profile, checked its length against its header
    // and dropped one whose colour space does not fit the colour type.
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) != 0 && profile != nullptr) {
      notes.icc_profile.assign(profile, profile + length);
    }
  }
  PngColourChunks& colour = notes.png_colour;
  if (colour.any()) return;
  int intent = 0;
  if (png_get_sRGB(png, info, &intent) != 0) {
    // libpng fills gAMA and cHRM from sRGB too: sRGB says all.
    colour.srgb = true;
    return;
  }
  double gamma = 0.0;
  if (png_get_gAMA(png, info, &gamma) == 0) return;  // cHRM alone describes no space
  std::array<double, 8> xy{};
  const bool primaries = png_get_cHRM(png, info, &xy[0], &xy[1], &xy[2], &xy[3], &xy[4], &xy[5], &xy[6], &xy[7]) != 0;
  // gAMA 1/2.2 with sRGB's primaries (or none) is how ImageMagick and many
  // other writers tag sRGB: other programs show such files as stored, not
  // through a pure 2.2 curve, which moves the shadows by up to 9 levels.
  if (std::abs(gamma - kSrgbFileGamma) < 0.00005 && (!primaries || near_srgb_primaries(xy))) {
    colour.srgb = true;
    return;
  }
  colour.gamma = gamma;
  if (primaries) colour.chromaticities = xy;
}

void note_metadata_chunks(png_structp png, png_infop info, PictureNotes& notes) {
  if (notes.exif.empty()) {
    png_uint_32 length = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &length, &exif) != 0 && exif != nullptr) {
      notes.exif.assign(exif, exif + length);
      notes.orientation = metadata::exif_orientation(notes.exif);
    }
  }
  if (notes.xmp.empty()) {
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    for (int i = 0; i < count && texts != nullptr; ++i) {
      const png_text& text = texts[i];
      const bool international = text.compression == PNG_ITXT_COMPRESSION_NONE ||
                                 text.compression == PNG_ITXT_COMPRESSION_zTXt;
      if (!international || text.key == nullptr || std::strcmp(text.key, kXmpKeyword) != 0 || text.text == nullptr) {
        continue;
      }
      notes.xmp.assign(text.text, text.text + text.itxt_length);
      break;
    }
  }
}

}  // namespace

void note_chunks(png_structp png, png_infop info, PictureNotes& notes) {
  note_colour_chunks(png, info, notes);
  note_metadata_chunks(png, info, notes);
}

}  // namespace quorvant::engine::png
