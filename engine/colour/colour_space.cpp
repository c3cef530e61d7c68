#include "engine/colour/colour_space.h"

#include <lcms2.h>

#include <memory>

namespace quorvant::engine::colour {

namespace {

struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

struct TransformDelete {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDelete>;

Profile profile_of(const PictureNotes& notes) {
  if (notes.icc_profile.empty()) return nullptr;
  return Profile(cmsOpenProfileFromMem(notes.icc_profile.data(), static_cast<cmsUInt32Number>(notes.icc_profile.size())));
}

}  // namespace

bool has_colour_space(const PictureNotes& notes) { return !notes.icc_profile.empty() || notes.png_colour.any(); }

bool convert_to_srgb(ImageBuffer& picture, const PictureNotes& notes, std::string& why) {
  if (picture.bits() != 24 && picture.bits() != 32) return true;
  const Profile source = profile_of(notes);
  if (!source) {
    if (notes.icc_profile.empty()) return true;
    why = "the picture's colour profile cannot be read";
    return false;
  }
  if (cmsGetColorSpace(source.get()) != cmsSigRgbData) return true;
  const Profile srgb(cmsCreate_sRGBProfile());
  const cmsUInt32Number format = picture.bits() == 32 ? TYPE_ARGB_8 : TYPE_RGB_8;
  const Transform transform(cmsCreateTransform(source.get(), format, srgb.get(), format, INTENT_RELATIVE_COLORIMETRIC,
                                               cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_COPY_ALPHA));
  if (!transform) {
    why = "the picture's colour profile cannot be used";
    return false;
  }
  for (int32_t y = 0; y < picture.height(); ++y) {
    cmsDoTransform(transform.get(), picture.row(y), picture.row(y), static_cast<cmsUInt32Number>(picture.width()));
  }
  return true;
}

std::vector<uint8_t> profile_to_embed(const PictureNotes& notes) { return notes.icc_profile; }

}  // namespace quorvant::engine::colour
