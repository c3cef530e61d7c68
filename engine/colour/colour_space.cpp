#include "engine/colour/colour_space.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <optional>

#include "engine/colour/lcms_handles.h"
#include "engine/colour/profiles.h"
#include "engine/colour/separable_rgb.h"
#include "engine/worker_pool.h"

namespace quorvant::engine::colour {

namespace {

// What a picture's pixels are, as far as colour spaces go.
enum class Model { kGrey, kPalette, kRgb, kArgb, kOther };

Model model_of(const ImageBuffer& picture) {
  switch (picture.bits()) {
    case 8:
      return picture.palette_count() > 0 ? Model::kPalette : Model::kGrey;
    case 24:
      return Model::kRgb;
    case 32:
      return Model::kArgb;
    default:
      return Model::kOther;  // 16-bit colour codes are never read with a profile
  }
}

// Conversions, like the web's and Photoshop's defaults: colours inside both
// spaces keep their values, and the source's darkest black maps to sRGB's.
constexpr cmsUInt32Number kIntent = INTENT_RELATIVE_COLORIMETRIC;
// No one-pixel cache: the transform then keeps no state between calls, so
// bands of the picture can share it on several threads.
constexpr cmsUInt32Number kFlags = cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE;

// Pictures below this many pixels are converted on the calling thread;
// larger ones in bands of about as many pixels, shared out on the pool.
constexpr size_t kBandPixels = size_t{1} << 16;

// The profile the notes describe for a picture of `model`: the ICC profile
// first (PNG gives iCCP precedence over sRGB and gAMA), then PNG's chunks.
// Null, leaving `why` empty, when the notes describe none that fits the
// picture (sRGB needs nothing); null with `why` when the profile is damaged.
Profile source_profile(const PictureNotes& notes, Model model, std::string& why) {
  const bool grey = model == Model::kGrey;
  if (!notes.icc_profile.empty()) {
    Profile profile = open_profile(notes.icc_profile);
    if (!profile) {
      why = "the picture's colour profile cannot be read";
      return nullptr;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile.get());
    const cmsProfileClassSignature kind = cmsGetDeviceClass(profile.get());
    // Only a profile of a device or colour space describes pixels; links,
    // abstract and named-colour profiles do not.
    const bool describes_pixels = kind == cmsSigInputClass || kind == cmsSigDisplayClass ||
                                  kind == cmsSigOutputClass || kind == cmsSigColorSpaceClass;
    const bool fits = grey ? space == cmsSigGrayData : space == cmsSigRgbData;
    return describes_pixels && fits ? std::move(profile) : nullptr;
  }
  if (notes.png_colour.srgb) return nullptr;
  return png_chunks_profile(notes.png_colour, grey);
}

// Converts `count` pixels of a row in place.
using RowConversion = std::function<void(uint8_t* row, size_t count)>;

// Whether `convert` leaves every colour of a lattice over the RGB cube as
// it is: an sRGB profile, as many cameras embed, then costs nothing.
bool leaves_colours_alone(const RowConversion& convert) {
  constexpr int kSteps = 17;
  std::array<uint8_t, 3 * kSteps * kSteps * kSteps> lattice{};
  size_t at = 0;
  for (int r = 0; r < kSteps; ++r) {
    for (int g = 0; g < kSteps; ++g) {
      for (int b = 0; b < kSteps; ++b) {
        for (int level : {r, g, b}) lattice[at++] = static_cast<uint8_t>(std::min(255, level * 16));
      }
    }
  }
  std::array<uint8_t, lattice.size()> converted = lattice;
  convert(converted.data(), kSteps * kSteps * kSteps);
  return lattice == converted;
}

// Runs `convert` over every row of `picture`, in bands on the shared pool
// when the picture is large.
void convert_rows(const RowConversion& convert, ImageBuffer& picture) {
  const auto width = static_cast<size_t>(picture.width());
  const auto height = static_cast<size_t>(picture.height());
  const size_t band_rows = std::max<size_t>(1, kBandPixels / width);
  const size_t bands = (height + band_rows - 1) / band_rows;
  const auto convert_band = [&](size_t band) {
    const size_t last = std::min(height, (band + 1) * band_rows);
    for (size_t y = band * band_rows; y < last; ++y) convert(picture.row(static_cast<int32_t>(y)), width);
  };
  if (bands == 1) {
    convert_band(0);
  } else {
    WorkerPool::shared().run(bands, convert_band);
  }
}

// Grey pictures: a table of the 256 levels, made through the transform once.
void convert_grey(void* transform, ImageBuffer& picture) {
  std::array<uint8_t, 256> levels{};
  for (size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<uint8_t>(i);
  std::array<uint8_t, 256> table{};
  cmsDoTransform(transform, levels.data(), table.data(), levels.size());
  uint8_t* pixels = picture.pixels();
  const size_t count = picture.pixel_bytes();
  for (size_t i = 0; i < count; ++i) pixels[i] = table[pixels[i]];
}

// Palette pictures: the entries, not the pixels.
void convert_palette(void* transform, ImageBuffer& picture) {
  std::vector<uint8_t> colours;
  for (const PaletteEntry& entry : picture.palette()) colours.insert(colours.end(), {entry.red, entry.green, entry.blue});
  cmsDoTransform(transform, colours.data(), colours.data(), static_cast<cmsUInt32Number>(picture.palette().size()));
  size_t at = 0;
  for (PaletteEntry& entry : picture.palette()) {
    entry.red = colours[at++];
    entry.green = colours[at++];
    entry.blue = colours[at++];
  }
}

}  // namespace

bool has_colour_space(const PictureNotes& notes) {
  return !notes.icc_profile.empty() || (!notes.png_colour.srgb && notes.png_colour.gamma.has_value());
}

bool convert_to_srgb(ImageBuffer& picture, const PictureNotes& notes, std::string& why) {
  const Model model = model_of(picture);
  if (model == Model::kOther || picture.empty()) return true;
  std::string unreadable;
  const Profile source = source_profile(notes, model, unreadable);
  if (!source) {
    why = unreadable;
    return unreadable.empty();
  }
  // Colour pictures of a profile of curves and a matrix take the fast path.
  const bool alpha = model == Model::kArgb;
  if (alpha || model == Model::kRgb) {
    if (const std::optional<SeparableRgbToSrgb> fast = SeparableRgbToSrgb::make(source.get())) {
      const size_t pixel_bytes = alpha ? 4 : 3;
      const size_t red_at = alpha ? 1 : 0;
      const RowConversion convert = [&](uint8_t* row, size_t count) { fast->convert(row, count, pixel_bytes, red_at); };
      if (alpha || !leaves_colours_alone(convert)) convert_rows(convert, picture);
      return true;
    }
  }
  const Profile target = model == Model::kGrey ? srgb_grey_profile() : Profile(cmsCreate_sRGBProfile());
  cmsUInt32Number format = TYPE_RGB_8;
  cmsUInt32Number flags = kFlags;
  if (model == Model::kGrey) {
    format = TYPE_GRAY_8;
  } else if (alpha) {
    format = TYPE_ARGB_8;
    flags |= cmsFLAGS_COPY_ALPHA;
  }
  const Transform transform(target ? cmsCreateTransform(source.get(), format, target.get(), format, kIntent, flags)
                                   : nullptr);
  if (!transform) {
    why = "the picture's colour profile cannot be used";
    return false;
  }
  if (model == Model::kGrey) {
    convert_grey(transform.get(), picture);
  } else if (model == Model::kPalette) {
    convert_palette(transform.get(), picture);
  } else {
    const RowConversion convert = [&](uint8_t* row, size_t count) {
      cmsDoTransform(transform.get(), row, row, static_cast<cmsUInt32Number>(count));
    };
    if (alpha || !leaves_colours_alone(convert)) convert_rows(convert, picture);
  }
  return true;
}

std::vector<uint8_t> profile_to_embed(const PictureNotes& notes) {
  if (!notes.icc_profile.empty()) return notes.icc_profile;
  if (notes.png_colour.srgb) return {};
  const Profile made = png_chunks_profile(notes.png_colour, false);
  return serialised(made.get());
}

}  // namespace quorvant::engine::colour
